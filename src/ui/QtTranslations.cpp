#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace marlet {

QtTranslations::~QtTranslations() {
    if (m_installed)
        QCoreApplication::removeTranslator(&m_translator);
}

void QtTranslations::use(const QString& locale) {
    if (locale == m_locale)
        return;
    m_locale = locale;
    if (m_installed) {
        QCoreApplication::removeTranslator(&m_translator);
        m_installed = false;
    }
    if (locale.isEmpty())
        return;
    if (m_translator.load(QStringLiteral("qtbase_") + locale,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        m_installed = QCoreApplication::installTranslator(&m_translator);
}

} // namespace marlet
