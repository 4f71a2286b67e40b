// Typing any character with real key events, as a keyboard whose layout has it does.
// (QTest::keyClicks can only send characters of ISO 8859-1.)
#pragma once

#include <QString>
#include <QTest>
#include <QWidget>

inline void TypeKeys(QWidget *widget, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size();
        const QString character = text.mid(i, pair ? 2 : 1);
        const Qt::Key key = pair ? Qt::Key_unknown : Qt::Key(text[i].toUpper().unicode());
        QTest::sendKeyEvent(QTest::Click, widget, key, character, Qt::NoModifier);
        if (pair) ++i;
    }
}
