#include "AppContext.h"

#include <QDir>

namespace {
class TNoAppContext : public TAppContext {
public:
    TSQLConnection* Connection() const override { return nullptr; }
    TColor LinkColour() const override { return clSilver; }
    bool LastDataActive() const override { return false; }
    TLastData LastData() const override { return {}; }
    double MinPLS() const override { return 1000.0; }
    QWidget* CurrentChild() const override { return nullptr; }
    QString ExeDir() const override { return QDir::currentPath() + QLatin1Char('/'); }
    QString IniFileName() const override { return QString(); }
    TMainConfig& Config() override { return config_; }
    QWidget* DialogOwner() const override { return nullptr; }

private:
    TMainConfig config_;
};
} // namespace

TAppContext& NoAppContext() {
    static TNoAppContext none;
    return none;
}
