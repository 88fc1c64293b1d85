#include "Forms.h"

#include "About.h"
#include "Baseview.h"
#include "Config.h"
#include "Editgraph.h"
#include "Editors.h"
#include "GraphDSUS.h"
#include "GraphHardParams.h"
#include "GraphPoint.h"
#include "GraphSuspLevel.h"
#include "Inputnewset.h"
#include "Logview.h"
#include "Main.h"
#include "MainMenu.h"
#include "Mnemo.h"
#include "Webprint.h"

#include <functional>
#include <vector>

QDialog* FormAbout = nullptr;

namespace {

// One window of the table: how to make it, and how to forget it.
struct FormEntry {
    std::function<void()> create;
    std::function<void()> forget;
};

enum class Kind { Child, Other };

template <class T, class Make> FormEntry Form(T*& global, Kind kind, Make make) {
    return {[&global, kind, make] {
                global = make();
                if (kind == Kind::Child)
                    FormMain->AddChild(global);
            },
            [&global] { global = nullptr; }};
}

// The start order. The main window exists before any of them.
const std::vector<FormEntry>& Forms() {
    static const std::vector<FormEntry> forms{
        Form(FormAbout, Kind::Other, [] { return new TFormAbout(FormMain); }),
        Form(FormLogView, Kind::Child, [] { return new TFormLogView(FormMain->AppContext()); }),
        Form(FormArrowEdit, Kind::Other, [] { return CreateArrowEditor(FormMain); }),
        Form(FormEditBarrel, Kind::Other, [] { return CreateBarrelEditor(FormMain); }),
        Form(FormConfig, Kind::Other, [] { return new TFormConfig(FormMain->AppContext(), FormMain); }),
        Form(FormBaseView, Kind::Child, [] { return new TFormBaseView(FormMain->AppContext()); }),
        Form(FormEditGraph, Kind::Other, [] { return new TFormEditGraph(FormMain); }),
        Form(FormGraphSuspLevel, Kind::Child, [] { return new TFormGraphSuspLevel(FormMain->AppContext()); }),
        Form(FormSuspLevelPoint, Kind::Other, [] { return new TFormSuspLevelPoint(FormMain->AppContext(), FormMain); }),
        Form(FormHardParamsPoint, Kind::Other, [] { return new TFormHardParamsPoint(FormMain->AppContext(), FormMain); }),
        Form(FormInputNewSet, Kind::Other, [] { return new TFormInputNewSet(FormMain); }),
        Form(FormMainMenu, Kind::Child, [] { return new TFormMainMenu; }),
        Form(FormMnemo, Kind::Child, [] { return new TFormMnemo(FormMain->AppContext()); }),
        Form(FormOutFieldEdit, Kind::Other, [] { return CreateOutFieldEditor(FormMain); }),
        Form(FormEditPoligon, Kind::Other, [] { return CreatePoligonEditor(FormMain); }),
        Form(FormEditPump, Kind::Other, [] { return CreatePumpEditor(FormMain); }),
        Form(FormWebPrint, Kind::Other, [] { return new TFormWebPrint(FormMain); }),
        Form(FormGraphHardParams, Kind::Child, [] { return new TFormGraphHardParams(FormMain->AppContext()); }),
        Form(FormGraphDSUS, Kind::Child, [] { return new TFormGraphDSUS(FormMain->AppContext()); }),
    };
    return forms;
}

} // namespace

void CreateForms() {
    for (const FormEntry& f : Forms())
        f.create();
}

void DestroyForms() {
    for (const FormEntry& f : Forms())
        f.forget();
}
