// The byte-string line: ESC and control keys type bytes, editing keys keep their meaning,
// and only what a stored sequence can hold is taken.

#include "EscapeLineEdit.h"

#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

using namespace marlet;

namespace {

void press(QWidget* widget, int key, const QString& text,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &event);
}

} // namespace

TEST(EscapeLineEditTest, EscTypesDelAndControlKeysTypeTheirBytes) {
    EscapeLineEdit line;
    int typed = 0;
    int edited = 0;
    QObject::connect(&line, &EscapeLineEdit::keyTyped, [&] { ++typed; });
    QObject::connect(&line, &QLineEdit::textEdited, [&] { ++edited; });

    press(&line, Qt::Key_Escape, QStringLiteral("\x1b"));
    press(&line, Qt::Key_P, QStringLiteral("P"));
    press(&line, Qt::Key_O, QStringLiteral("\x0f"), Qt::ControlModifier);
    EXPECT_EQ(line.text(), QStringLiteral("\x7f"
                                          "P\x0f"));
    EXPECT_EQ(typed, 3);
    EXPECT_EQ(edited, 3);

    // Backspace deletes and Enter types nothing, although their texts are control bytes.
    press(&line, Qt::Key_Backspace, QStringLiteral("\x08"));
    press(&line, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(line.text(), QStringLiteral("\x7f"
                                          "P"));
}

TEST(EscapeLineEditTest, TakesOnlyWhatAStoredSequenceCanHold) {
    EscapeLineEdit line;
    line.insert(QStringLiteral("Ж€"));
    // NUL would end the registry string; a checkmark has no byte in the code page.
    press(&line, Qt::Key_At, QString(QChar(0)), Qt::ControlModifier);
    line.insert(QStringLiteral("✓"));
    EXPECT_EQ(line.text(), QStringLiteral("Ж€"));

    line.setReadOnly(true);
    press(&line, Qt::Key_Escape, QStringLiteral("\x1b"));
    EXPECT_EQ(line.text(), QStringLiteral("Ж€"));

    EXPECT_TRUE(EscapeLineEdit::typesControlByte(
        QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier)));
    EXPECT_FALSE(EscapeLineEdit::typesControlByte(
        QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"))));
    EXPECT_FALSE(EscapeLineEdit::typesControlByte(
        QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"))));
}

TEST(EscapeLineEditTest, OutOfTypingControlBytesShowAsTheGridShowsThem) {
    // The blue pixels a line shows: the colour of [#NN] and of nothing else.
    auto bluePixels = [](const QString& text) {
        EscapeLineEdit line;
        line.resize(200, 22);
        line.setText(text);
        const QImage shown = line.grab().toImage().convertToFormat(QImage::Format_RGB32);
        int count = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                count += qBlue(shown.pixel(x, y)) > 150 && qRed(shown.pixel(x, y)) < 100 &&
                         qGreen(shown.pixel(x, y)) < 100;
        return count;
    };
    const QString typedEscape(QChar(127));
    EXPECT_GT(bluePixels(typedEscape + "@"), 20) << "ESC @ shows [#27]@";
    EXPECT_GT(bluePixels(QStringLiteral("\x1b@")), 20);
    EXPECT_EQ(bluePixels(QStringLiteral("@E")), 0);
}

TEST(EscapeLineEditTest, EditingShortcutsKeepTheirMeaningOtherControlKeysTypeBytes) {
    EscapeLineEdit line;
    line.setText(QStringLiteral("@E"));
    press(&line, Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);
    EXPECT_EQ(line.text(), QStringLiteral("@E"));
    EXPECT_EQ(line.selectedText(), QStringLiteral("@E")) << "Ctrl+A selects all";
    press(&line, Qt::Key_X, QStringLiteral("\x18"), Qt::ControlModifier);
    EXPECT_EQ(line.text(), QString()) << "Ctrl+X cuts";
    press(&line, Qt::Key_Z, QStringLiteral("\x1a"), Qt::ControlModifier);
    EXPECT_EQ(line.text(), QStringLiteral("@E")) << "Ctrl+Z undoes";
    line.end(false);
    press(&line, Qt::Key_O, QStringLiteral("\x0f"), Qt::ControlModifier);
    EXPECT_EQ(line.text(), QStringLiteral("@E\x0f")) << "Ctrl+O still types 15";
}
