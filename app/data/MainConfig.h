#pragma once
// The main configuration file (the executable's name with ".INI"): the
// sections [main] and [MySQL]. Plain data: it reads and writes the file and
// knows nothing of windows or the database, so every case of the file can be
// tested on its own. The main window holds one and passes its values on.

#include <QString>
#include <functional>

struct TMainConfig {
    // The main window's design caption.
    static const QString kDesignCaption;

    QString Caption = kDesignCaption;
    int FirstChangeStart = 7; // hour 0..23 at which the first shift starts
    int DateIncrement = 0;    // day offset of the shift periods
    bool ShutdownOnExit = false;
    QString TempDir;     // read, never written
    QString TemplateDir; // read, never written
    // [main] MnemoFitToWindow: the scheme is shown whole, scaled to its frame,
    // instead of scrolling (off by default: it costs many times the plain
    // scheme's tick).
    bool MnemoFitToWindow = false;
    // [main] SetpointTakeSeconds: how long a density setpoint is followed
    // before it counts as not taken by the controller (read, never written).
    int SetpointTakeSeconds = 30;
    QString MySQLLogin = QStringLiteral("root");
    QString MySQLHost = QStringLiteral("127.0.0.1");
    bool SavePassword = false;
    int MySQLVersion = 5;
    QString MySQLPassword; // clear text, in memory only

    // Reads every key in order, each with the current value as default. With
    // SavePassword the stored password is unscrambled; without it `login` runs
    // (the login dialog, which may change MySQLLogin and MySQLPassword). A
    // failure stops the rest of the pass: the values read so far stay, the
    // text "Ошибка в LoadConfig" goes to the event queue, and it returns false.
    bool Load(const QString& iniPath, const std::function<void(TMainConfig&)>& login);

    enum class SaveResult {
        Saved,
        // The password has characters the scrambled form cannot carry: it was
        // not stored, SavePassword=0 and an empty Password were written instead
        // (and SavePassword is now false), so no older password is used later.
        PasswordNotStored,
        Failed, // "Ошибка в SaveConfig()" went to the event queue
    };
    // Writes [main] Caption, FirstChangeStart, DateIncrement, ShutdownOnExit,
    // MnemoFitToWindow (once it is on or in the file);
    // [MySQL] Login, Comp, Version, SavePassword, Password.
    SaveResult Save(const QString& iniPath);
};
