#include "Forms.h"

#include "About.h"
#include "ColorSets.h"
#include "Editors.h"
#include "MainMenu.h"
#include "Mnemo.h"
#include "Inputnewset.h"
#include "Main.h"

#include <QPushButton>
#include <QVBoxLayout>

QDialog* FormAbout = nullptr;
QWidget* FormLogView = nullptr;
QDialog* FormConfig = nullptr;
QWidget* FormBaseView = nullptr;
QWidget* FormGraphSuspLevel = nullptr;
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
    CreateArrowEditor(FormMain);
    CreateBarrelEditor(FormMain);
    FormConfig = new TDialogForm(QStringLiteral("FormConfig"), QStringLiteral("Конфигурация программы"), FormMain);
    // The state colour sets belong to the configuration window, which reads them
    // when it is created.
    LoadStateColorSets(FormMain->IniFileName);
    FormBaseView = Child(QStringLiteral("FormBaseView"), QStringLiteral("Просмотр базы данных"));
    FormGraphSuspLevel =
        Child(QStringLiteral("FormGraphSuspLevel"), QStringLiteral("Графики изменения уровней в сборниках суспензии"));
    FormInputNewSet = new TFormInputNewSet(FormMain);
    FormMainMenu = new TFormMainMenu;
    FormMain->AddChild(FormMainMenu);
    FormMnemo = new TFormMnemo;
    FormMain->AddChild(FormMnemo);
    CreateOutFieldEditor(FormMain);
    CreatePoligonEditor(FormMain);
    CreatePumpEditor(FormMain);
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
    FormArrowEdit = FormEditBarrel = FormOutFieldEdit = FormEditPoligon = FormEditPump = nullptr;
    FormGraphHardParams = nullptr;
    FormGraphDSUS = nullptr;
}
