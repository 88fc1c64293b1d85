#pragma once
// What every fuzz target shares: an offscreen application (elements are
// widgets), a platform that answers every message box at once and never beeps
// or powers anything off, and a scratch directory for the files a target writes.

#include "Platform.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

class FuzzPlatform : public Platform {
public:
    void Beep() override {}
    QMessageBox::StandardButton MessageBox(const QString&, const QString&, QMessageBox::Icon,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton def) override {
        return def != QMessageBox::NoButton ? def : QMessageBox::StandardButton(int(buttons & -int(buttons)));
    }
    int ExecDialog(QDialog&) override { return 0; }
    bool ChooseColor(TColor&, QWidget*) override { return false; }
    bool ChooseFont(QFont&, TColor&, QWidget*) override { return false; }
    bool ShutdownComputer() override { return false; }
};

// A claim of the target: when it does not hold, say which and abort, so that
// libFuzzer keeps the input as a finding.
#define FUZZ_CHECK(cond)                                                                                     \
    do {                                                                                                     \
        if (!(cond)) {                                                                                       \
            std::fprintf(stderr, "claim failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);                   \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

inline QString FuzzDir() {
    static QTemporaryDir dir;
    return dir.path();
}

inline void FuzzInit(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false;*.warning=false");
    static QApplication app(*argc, *argv);
    static FuzzPlatform platform;
    SetPlatform(&platform);
    QDir::setCurrent(FuzzDir());
}

#define ORDAL_FUZZ_INIT                                                                                      \
    extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {                                           \
        FuzzInit(argc, argv);                                                                                \
        return 0;                                                                                            \
    }
