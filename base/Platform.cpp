#include "Platform.h"

#include "FontDialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QPushButton>

namespace {
Platform* g_current = nullptr;
std::function<void(bool)>& TonePlayer() {
    static std::function<void(bool)> player;
    return player;
}
Platform& Own() {
    static Platform p;
    return p;
}
} // namespace

void Platform::Beep() { QApplication::beep(); }

void Platform::AlarmTone(bool on) {
    if (TonePlayer())
        TonePlayer()(on);
}

void SetAlarmTonePlayer(std::function<void(bool)> player) { TonePlayer() = std::move(player); }

QMessageBox::StandardButton Platform::MessageBox(const QString& text, const QString& caption,
                                                 QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, caption, text, buttons, QApplication::activeWindow());
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return QMessageBox::StandardButton(box.exec());
}

int Platform::ExecDialog(QDialog& dialog) { return dialog.exec(); }

bool Platform::ChooseColor(TColor& color, QWidget* parent) {
    const QColor c = QColorDialog::getColor(ColorToQColor(color), parent);
    if (!c.isValid())
        return false;
    color = QColorToColor(c);
    return true;
}

bool Platform::ChooseFont(QFont& font, TColor& color, QWidget* parent) {
    TFontDialog dialog(font, color, parent);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    font = dialog.SelectedFont();
    color = dialog.SelectedColor();
    return true;
}

QString Platform::ChooseSaveFile(QWidget* parent, const QString& caption, const QString& fileName,
                                 const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, fileName, filter);
}

TDateTime Platform::Now() { return DateTimeFromQ(QDateTime::currentDateTime()); }

quint64 Platform::TickCountMs() {
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return quint64(timer.elapsed());
}

bool Platform::ShutdownComputer() {
    // logind decides whether the operator may power off (interactive=true lets
    // polkit ask when a policy requires it).
    QDBusInterface logind(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                          QStringLiteral("org.freedesktop.login1.Manager"), QDBusConnection::systemBus());
    if (!logind.isValid())
        return false;
    const QDBusMessage reply = logind.call(QStringLiteral("PowerOff"), true);
    return reply.type() == QDBusMessage::ReplyMessage;
}

Platform& Plat() { return g_current ? *g_current : Own(); }

Platform* SetPlatform(Platform* p) {
    Platform* previous = g_current;
    g_current = p;
    return previous;
}

void ShowError(const QString& text) {
    Plat().MessageBox(text, QStringLiteral("Ошибка"), QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok);
}
