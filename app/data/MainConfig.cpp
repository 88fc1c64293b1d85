#include "MainConfig.h"

#include "Eventlog.h"
#include "IniFile.h"
#include "Log.h"
#include "Vmcrypt.h"

const QString TMainConfig::kDesignCaption = QStringLiteral("ОРДАЛ-М ( 1.17 )");

namespace {
const QString kMain = QStringLiteral("main");
const QString kMySQL = QStringLiteral("MySQL");
} // namespace

bool TMainConfig::Load(const QString& iniPath, const std::function<void(TMainConfig&)>& login) {
    // The key being read, for the log; never a value (one is a password).
    const char* key = "";
    try {
        IniFile ini(iniPath);
        // The defaults stand in for what it holds; it is not written either.
        if (const QString why = ini.ReadError(); !why.isEmpty())
            qCWarning(lcOrdal).noquote() << "LoadConfig:" << why << "- the defaults are used";
        key = "Caption";
        Caption = ini.ReadString(kMain, QStringLiteral("Caption"), Caption);
        key = "FirstChangeStart";
        const int firstChange = ini.ReadInteger(kMain, QStringLiteral("FirstChangeStart"), FirstChangeStart);
        if (firstChange >= 0 && firstChange <= 23) // an hour of the day, or the file is wrong
            FirstChangeStart = firstChange;
        key = "DateIncrement";
        DateIncrement = ini.ReadInteger(kMain, QStringLiteral("DateIncrement"), DateIncrement);
        key = "ShutdownOnExit";
        ShutdownOnExit = ini.ReadBool(kMain, QStringLiteral("ShutdownOnExit"), ShutdownOnExit);
        key = "TempDir";
        TempDir = ini.ReadString(kMain, QStringLiteral("TempDir"), TempDir);
        key = "TemplateDir";
        TemplateDir = ini.ReadString(kMain, QStringLiteral("TemplateDir"), TemplateDir);
        key = "MnemoFitToWindow";
        MnemoFitToWindow = ini.ReadBool(kMain, QStringLiteral("MnemoFitToWindow"), MnemoFitToWindow);
        key = "SetpointTakeSeconds";
        if (const int take = ini.ReadInteger(kMain, QStringLiteral("SetpointTakeSeconds"), SetpointTakeSeconds);
            take >= 1 && take <= 3600)
            SetpointTakeSeconds = take;
        key = "Login";
        MySQLLogin = ini.ReadString(kMySQL, QStringLiteral("Login"), MySQLLogin);
        key = "Comp";
        MySQLHost = ini.ReadString(kMySQL, QStringLiteral("Comp"), MySQLHost);
        key = "SavePassword";
        SavePassword = ini.ReadBool(kMySQL, QStringLiteral("SavePassword"), SavePassword);
        key = "Version";
        MySQLVersion = ini.ReadInteger(kMySQL, QStringLiteral("Version"), MySQLVersion);
        key = "Password";
        if (SavePassword) {
            const QString stored = ini.ReadString(kMySQL, QStringLiteral("Password"), QString());
            if (!stored.isEmpty())
                MySQLPassword = UnscrambleText(g_ScramblerState, stored);
        } else if (login) {
            login(*this);
        }
        return true;
    } catch (...) {
        qCWarning(lcOrdal) << "LoadConfig: reading" << key << "of" << iniPath << "failed";
        LogEvent(QStringLiteral("Ошибка в LoadConfig"), 0);
        return false;
    }
}

TMainConfig::SaveResult TMainConfig::Save(const QString& iniPath) {
    try {
        // Scrambled first: SavePassword=1 goes to the file only together with
        // the password it promises.
        QString scrambled;
        bool storable = true;
        if (SavePassword && !MySQLPassword.isEmpty()) {
            try {
                scrambled = ScrambleText(g_ScramblerState, MySQLPassword);
            } catch (const EConvertError&) {
                storable = false;
            }
        }
        // One write for the whole file: it is on disk as before or as after,
        // never half saved, whenever the program may be ended.
        IniFile ini(iniPath);
        ini.Begin();
        ini.WriteString(kMain, QStringLiteral("Caption"), Caption);
        ini.WriteInteger(kMain, QStringLiteral("FirstChangeStart"), FirstChangeStart);
        ini.WriteInteger(kMain, QStringLiteral("DateIncrement"), DateIncrement);
        ini.WriteBool(kMain, QStringLiteral("ShutdownOnExit"), ShutdownOnExit);
        // Written once it has been switched on: a workstation that never used
        // it keeps the file it always had.
        if (MnemoFitToWindow || ini.ValueExists(kMain, QStringLiteral("MnemoFitToWindow")))
            ini.WriteBool(kMain, QStringLiteral("MnemoFitToWindow"), MnemoFitToWindow);
        ini.WriteString(kMySQL, QStringLiteral("Login"), MySQLLogin);
        ini.WriteString(kMySQL, QStringLiteral("Comp"), MySQLHost);
        ini.WriteInteger(kMySQL, QStringLiteral("Version"), MySQLVersion);
        if (!storable) {
            qCWarning(lcOrdal) << "SaveConfig: the password cannot be stored (characters outside Windows-1251)";
            SavePassword = false;
            ini.WriteBool(kMySQL, QStringLiteral("SavePassword"), false);
            ini.WriteString(kMySQL, QStringLiteral("Password"), QString());
            ini.Commit();
            return SaveResult::PasswordNotStored;
        }
        ini.WriteBool(kMySQL, QStringLiteral("SavePassword"), SavePassword);
        if (SavePassword) {
            if (!MySQLPassword.isEmpty())
                ini.WriteString(kMySQL, QStringLiteral("Password"), scrambled);
        } else {
            ini.WriteString(kMySQL, QStringLiteral("Password"), QString());
        }
        ini.Commit();
        return SaveResult::Saved;
    } catch (...) {
        qCWarning(lcOrdal) << "SaveConfig:" << iniPath << CurrentExceptionText();
        LogEvent(QStringLiteral("Ошибка в SaveConfig()"), 0);
        return SaveResult::Failed;
    }
}
