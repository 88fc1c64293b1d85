#pragma once
// What ini_writer saves, shared with tst_atomicsave, which makes the same
// files to know what a whole file looks like. The files start large (a
// workstation's configuration and scheme look files hold many sections), so
// that writing one takes many write calls: a writer that is not atomic is
// caught in the middle of one.

#include "Arrow.h"
#include "MainConfig.h"

#include <QByteArray>
#include <QString>

namespace atomicsave {

inline QString MainFile(const QString& dir) {
    return dir + QStringLiteral("/ordal.INI");
}
inline QString LookFile(const QString& dir) {
    return dir + QStringLiteral("/FormMnemo.INI");
}

// The files as they are before the first save: the keys that a save changes
// come first, so that everything after them is written again.
inline QByteArray MainSeed() {
    QByteArray s =
        "[main]\r\nCaption=ОРДАЛ-М\r\nFirstChangeStart=7\r\nDateIncrement=0\r\nShutdownOnExit=0\r\n\r\n"
        "[MySQL]\r\nLogin=operator\r\nComp=127.0.0.1\r\nVersion=5\r\nSavePassword=0\r\nPassword=\r\n";
    for (int i = 0; i < 1000; ++i)
        s += "\r\n[Graph" + QByteArray::number(i) +
             "]\r\nLeft=10\r\nTop=20\r\nWidth=640\r\nHeight=480\r\n"
             "Min=1700\r\nMax=2500\r\nColor=0x000000FF\r\n";
    return s;
}
inline QByteArray LookSeed() {
    QByteArray s = "[Arrow1]\r\nArrowWidth=4\r\nColor=65280\r\nEdgeLength=11\r\nEdgeAngle=30\r\n";
    for (int i = 0; i < 1000; ++i)
        s += "\r\n[OutField" + QByteArray::number(i) +
             "]\r\nFont.Name=Arial\r\nFont.Size=10\r\n"
             "Font.Color=0\r\nColor=16777215\r\nFormat=###0.0\r\n";
    return s;
}

// One round of saves in version b: the main configuration, then the look.
inline void SaveRound(const QString& dir, TArrow& arrow, bool b) {
    TMainConfig c;
    c.Caption = b ? QStringLiteral("B") : QStringLiteral("A");
    c.FirstChangeStart = b ? 8 : 7;
    c.DateIncrement = b ? 1 : 0;
    c.MySQLHost = b ? QStringLiteral("host-b") : QStringLiteral("host-a");
    c.MySQLLogin = b ? QStringLiteral("login-b") : QStringLiteral("login-a");
    c.Save(MainFile(dir));
    arrow.SetConfigName(LookFile(dir));
    arrow.SetArrowWidth(b ? 5 : 3);
    arrow.SetColor(b ? 0x00FF0000 : 0x000000FF);
    arrow.SetEdgeLength(b ? 12 : 10);
    arrow.SaveConfig();
}

} // namespace atomicsave
