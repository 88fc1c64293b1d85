#include "Forms.h"

#include "About.h"
#include "Inputnewset.h"
#include "Main.h"

#include <QPushButton>
#include <QVBoxLayout>

QDialog* FormAbout = nullptr;
QWidget* FormLogView = nullptr;
QDialog* FormConfig = nullptr;
QWidget* FormBaseView = nullptr;
QWidget* FormGraphSuspLevel = nullptr;
QWidget* FormMainMenu = nullptr;
QWidget* FormMnemo = nullptr;
QWidget* FormGraphHardParams = nullptr;
QWidget* FormGraphDSUS = nullptr;

TChildForm::TChildForm(const QString& name, const QString& caption, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setWindowTitle(caption);
}

TDialogForm::TDialogForm(const QString& name, const QString& caption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(name);
    setWindowTitle(caption);
    resize(420, 160);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 0, Qt::AlignRight);
}

namespace {
QWidget* Child(const QString& name, const QString& caption) {
    auto* w = new TChildForm(name, caption);
    FormMain->AddChild(w);
    return w;
}
} // namespace

void CreateForms() {
    FormAbout = new TFormAbout(FormMain);
    FormLogView = Child(QStringLiteral("FormLogView"), QStringLiteral("Журнал работы отсадочных машин"));
    FormConfig = new TDialogForm(QStringLiteral("FormConfig"), QStringLiteral("Конфигурация программы"), FormMain);
    FormBaseView = Child(QStringLiteral("FormBaseView"), QStringLiteral("Просмотр базы данных"));
    FormGraphSuspLevel =
        Child(QStringLiteral("FormGraphSuspLevel"), QStringLiteral("Графики изменения уровней в сборниках суспензии"));
    FormInputNewSet = new TFormInputNewSet(FormMain);
    FormMainMenu = Child(QStringLiteral("FormMainMenu"), QStringLiteral("Главное меню"));
    FormMnemo = Child(QStringLiteral("FormMnemo"), QStringLiteral("Мнемосхема"));
    FormGraphHardParams = Child(QStringLiteral("FormGraphHardParams"),
                                QStringLiteral("Параметры процесса обогащения в тяжелых средах"));
    FormGraphDSUS = Child(QStringLiteral("FormGraphDSUS"), QStringLiteral("График работы делителя потока суспензии"));
}

void DestroyForms() {
    // Child windows belong to the frame's MDI area and dialogs to the main
    // window; the main window's destruction takes them all. Only forget them here.
    FormAbout = nullptr;
    FormLogView = nullptr;
    FormConfig = nullptr;
    FormBaseView = nullptr;
    FormGraphSuspLevel = nullptr;
    FormInputNewSet = nullptr;
    FormMainMenu = nullptr;
    FormMnemo = nullptr;
    FormGraphHardParams = nullptr;
    FormGraphDSUS = nullptr;
}
