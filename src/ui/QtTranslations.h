#pragma once

#include <QString>
#include <QTranslator>

namespace marlet {

/// Qt's own texts (the file and printer dialogs, standard buttons) in the interface
/// language: the translation the distribution ships for the language file's locale.
class QtTranslations final {
public:
    QtTranslations() = default;
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    /// Uses Qt's translation for locale ("ru"); an empty locale, or one Qt has no
    /// translation for, leaves Qt's English.
    void use(const QString& locale);

private:
    QTranslator m_translator;
    QString m_locale;
    bool m_installed = false;
};

} // namespace marlet
