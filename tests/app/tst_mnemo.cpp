// The scheme window fed from the tests' private MariaDB through the main
// window's poll, its state colours, animations and set-up mode, and the
// element editors it opens.

#include "AppFixture.h"
#include "ChildFrame.h"
#include "Actioncontrols.h"
#include "Anitrans.h"
#include "Arrow.h"
#include "Barrel.h"
#include "Coalbox.h"
#include "ColorSets.h"
#include "Controls.h"
#include "Ebm.h"
#include "Editors.h"
#include "Global.h"
#include "IniFile.h"
#include "MainMenu.h"
#include "Mnemo.h"
#include "Outfield.h"
#include "Pump.h"
#include "ScaledView.h"
#include "Services.h"
#include "Waterbox.h"
#include "Watercircle.h"
#include "Watermeo.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>

namespace {

// One record, a fresh heartbeat, one poll tick with its answer and one scheme tick.
void Feed(App& app, double pls, double ar1, double urks = 55, double urns = 40, double voda1 = 30, double dsus = 60) {
    ExecAdmin("delete from pu_data");
    ExecAdmin(QStringLiteral("insert into pu_data (RecMoment, PLS, PLSZ, URKS, URNS, VODA1, DSUS, _PLSZ, AR1) "
                             "values (now(), %1, 1700, %2, %3, %4, %5, 1700, %6)")
                  .arg(pls)
                  .arg(urks)
                  .arg(urns)
                  .arg(voda1)
                  .arg(dsus)
                  .arg(ar1));
    PutHeartbeat(0);
    app.Poll();
    FormMnemo->RefreshScheme();
}

// Counts the events of one type that the watched objects receive.
class TEventCounter : public QObject {
public:
    TEventCounter(QEvent::Type type, int* count) : type_(type), count_(count) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == type_)
            ++*count_;
        return false;
    }

private:
    QEvent::Type type_;
    int* count_;
};

TArrow* ArrowNamed(const QString& name) { return FormMnemo->Layout().Get<TArrow>(name); }

} // namespace

class TstMnemo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        TP().Reset();
        ResetPlantTables(1100);
        InteractiveSetupMode = false;
        OnColors = kDefaultStateColors;
        OffColors = {clGray, clGray, clGray, clGray, clGray, clGray, clSilver, clGray, clGray};
        QFile::remove(IniPath());
        QDir(TestDir() + "/config").removeRecursively(); // looks saved by an earlier case
        QFile::remove(TestDir() + "/FormMnemo.INI");
    }

    void valuesAndMode_data() {
        QTest::addColumn<double>("ar1");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("brush");
        QTest::newRow("0.5 automatic") << 0.5 << "АВТОМАТ" << clAqua;
        QTest::newRow("0.51 manual") << 0.51 << "РУЧНОЙ" << clGreen;
    }
    void valuesAndMode() {
        QFETCH(double, ar1);
        QFETCH(QString, mode);
        QFETCH(int, brush);
        App app;
        FormMnemo->Timer1->stop();
        Feed(app, 1725, ar1, 100, 40, 30, 60);
        QCOMPARE(FormMnemo->OutField_AR1->GetCaption(), mode);
        QCOMPARE(FormMnemo->OutField_AR1->Brush()->GetColor(), TColor(brush));
        QCOMPARE(FormMnemo->OutField_AR1->Font()->GetColor(), clBlack);
        QCOMPARE(FormMnemo->OutField_PLS->GetOutValue(), 1725.0);
        QCOMPARE(FormMnemo->OutField_PLSZ->GetOutValue(), 1700.0);
        QCOMPARE(FormMnemo->Flake_KS->GetWaterLevel(), 4.4);
        QCOMPARE(FormMnemo->OutField_VODA1->GetOutValue(), 30.0);
        QCOMPARE(FormMnemo->WaterMEO_VODA1->GetPosition(), 70.0);
        QCOMPARE(FormMnemo->WaterMEO_DSUS->GetPosition(), 60.0);
        QCOMPARE(FormMnemo->OutField_DSUS_M100->GetOutValue(), 40.0);
        QVERIFY(FormMnemo->Running);
        QCOMPARE(ArrowNamed("Arrow31")->GetColor(), OnColors[0]); // Tag 100: Condition
        QCOMPARE(ArrowNamed("Arrow24")->GetColor(), OnColors[1]); // Tag 200: NonCondition
        QCOMPARE(FormMnemo->Pump_NS->Brush()->GetColor(), OnColors[1]);
    }

    void stoppedAtMinPlsFreezesAnimation() {
        App app;
        FormMnemo->Timer1->stop();
        Feed(app, 1700, 0);
        const double coal = FormMnemo->AniTrans_coal->GetPosition();
        const int rotor = FormMnemo->EBM1->GetBladeAngle();
        Feed(app, 1100, 0); // equal to MIN_PLS: stopped
        QVERIFY(!FormMnemo->Running);
        QCOMPARE(FormMnemo->OutField_PLS->GetOutValue(), 1100.0); // values still shown
        QCOMPARE(ArrowNamed("Arrow31")->GetColor(), OffColors[0]);
        QCOMPARE(FormMnemo->EBM1->RotorBrush()->GetColor(), OffColors[6]);
        for (int i = 0; i < 3; ++i)
            FormMnemo->RefreshScheme();
        QCOMPARE(FormMnemo->AniTrans_coal->GetPosition(), coal);
        QCOMPARE(FormMnemo->EBM1->GetBladeAngle(), rotor);
    }

    void animationSequences() {
        App app;
        FormMnemo->Timer1->stop();
        Feed(app, 1700, 0);
        TFormMnemo::ConveyorCounter = 97;
        TFormMnemo::BladeAngle = 6;
        QList<double> back, coal, blade;
        for (int i = 0; i < 4; ++i) {
            FormMnemo->RefreshScheme();
            back << FormMnemo->AniTrans_back->GetPosition();
            coal << FormMnemo->AniTrans_coal->GetPosition();
            blade << FormMnemo->CoalBox1->Getblade_angle();
        }
        QCOMPARE(back, QList<double>({98, 99, 0, 1}));
        QCOMPARE(coal, QList<double>({2, 1, 100, 99}));
        QCOMPARE(blade, QList<double>({6, 3, 0, 357}));
        FormMnemo->EBM1->SetBladeAngle(359);
        FormMnemo->RefreshScheme();
        QCOMPARE(FormMnemo->EBM1->GetBladeAngle(), 0);
    }

    void linkFailureBlinksAndFreezes() {
        App app;
        FormMnemo->Timer1->stop();
        Feed(app, 1700, 0);
        const int rotor = FormMnemo->EBM1->GetBladeAngle();
        TP().now = Now() + 30 * OneSecond; // the heartbeat is 30 s old: red
        app.Poll();
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clRed);
        const QList<std::tuple<quint64, TColor, TColor>> phases{{1001, clRed, clWhite}, {1002, clWhite, clRed}};
        for (const auto& [tick, brush, font] : phases) {
            TP().tickMs = tick;
            FormMnemo->RefreshScheme();
            QCOMPARE(FormMnemo->OutField_AR1->GetCaption(), QString("Сбой связи"));
            QCOMPARE(FormMnemo->OutField_AR1->Brush()->GetColor(), brush);
            QCOMPARE(FormMnemo->OutField_AR1->Font()->GetColor(), font);
        }
        QVERIFY(!FormMnemo->Running);
        QCOMPARE(FormMnemo->OutField_PLS->GetOutValue(), 0.0);
        QCOMPARE(ArrowNamed("Arrow31")->GetColor(), OffColors[0]);
        QCOMPARE(FormMnemo->EBM1->GetBladeAngle(), rotor);
    }

    void colourByTagIsByExactClass() {
        App app;
        FormMnemo->Timer1->stop();
        auto* label = FormMnemo->Layout().Get<TLabel>("Label10"); // Tag 100
        auto* circle = FormMnemo->Layout().Get<TWaterCircle>("WaterCircle1");
        const TColor uni = FormMnemo->Layout().Get<QWidget>("UniPandus1")->property("Brush").value<TBrush*>()->GetColor();
        SetColorByTag(FormMnemo, 100, clFuchsia);
        QCOMPARE(label->Font()->GetColor(), clFuchsia);
        QCOMPARE(ArrowNamed("Arrow12")->GetColor(), clFuchsia); // inside Flake_KS: still the window's component
        SetColorByTag(FormMnemo, 900, clLime);
        QCOMPARE(circle->GetWaterColor(), clLime);
        SetColorByTag(FormMnemo, 400, clFuchsia); // the ramp's class has no colouring row
        QCOMPARE(FormMnemo->Layout().Get<QWidget>("UniPandus1")->property("Brush").value<TBrush*>()->GetColor(), uni);
        SetColorByTag(FormMnemo, 12345, clFuchsia); // nobody carries it
        QCOMPARE(ArrowNamed("Arrow1")->GetColor() == clFuchsia, false);
    }

    void setupModeBindingRule() {
        App app;
        FormMnemo->Timer1->stop();
        TArrow* foreign = ArrowNamed("Arrow1");
        int foreignClicks = 0;
        foreign->SetOnClick(TNotifyEvent([&](QObject*) { ++foreignClicks; }));
        InteractiveSetupMode = true;
        FormMnemo->SetupElements();
        TArrow* a = ArrowNamed("Arrow24");
        QCOMPARE(a->OnClick(), TNotifyEvent(FormMnemo, &TFormMnemo::EditElementClick));
        QCOMPARE(a->GetCursor(), crCross);
        TP().dialogs = 0;
        FormMnemo->Flake_NS->Click(); // a sump has no editor
        QCOMPARE(TP().dialogs, 0);
        foreign->SetOnClick(TNotifyEvent([&](QObject*) { ++foreignClicks; }));
        InteractiveSetupMode = false;
        FormMnemo->SetupElements();
        QVERIFY(!a->OnClick());
        QCOMPARE(a->GetCursor(), crDefault);
        foreign->Click(); // set by other code: it stays
        QCOMPARE(foreignClicks, 1);
    }

    void arrowEditorSavesForTheGroup() {
        App app;
        FormMnemo->Timer1->stop();
        TArrow* a = ArrowNamed("Arrow24");
        TP().nextColor = clYellow;
        TP().dialogHandler = [](QDialog& d) {
            auto& e = static_cast<TLookEditor&>(d);
            e.show(); // takes the element's look into the preview
            e.ActionButtons[0]->click(); // "Цвет": the colour dialog answers clYellow
            e.EditWidth->setText("5");
            e.ButApply->click();
            e.ButSaveGroup->click();
            e.hide();
            return e.result();
        };
        InteractiveSetupMode = true;
        FormMnemo->SetupElements();
        a->Click();
        IniFile ini(FormMnemo->ConfigPath);
        for (const QString name : {"Arrow24", "Arrow1", "Arrow11", "Arrow63"}) {
            QCOMPARE(ini.ReadInteger(name, "ArrowWidth", 0), 5);
            QCOMPARE(ini.ReadInteger(name, "Color", 0), clYellow);
        }
        QVERIFY(!ini.SectionExists("Arrow31")); // Tag 100: another group
        FormMnemo->RefreshScheme(); // the state colour wins at the next tick; the width stays
        QCOMPARE(a->GetColor(), OffColors[1]);
        QCOMPARE(ArrowNamed("Arrow1")->GetArrowWidth(), 5);
    }

    void valueFieldEditorApplyThenCancel() {
        App app;
        FormMnemo->Timer1->stop();
        TOutField* f = FormMnemo->OutField_PLS;
        const TColor before = f->Brush()->GetColor();
        TP().nextColor = clPurple;
        TP().dialogHandler = [](QDialog& d) {
            auto& e = static_cast<TLookEditor&>(d);
            e.show();
            e.ActionButtons[0]->click(); // "Цвет фона"
            e.EditWidth->setText("x");   // not a number: nothing changes, an error is shown
            e.EditWidth->returnPressed();
            e.ButApply->click();
            if (static_cast<TOutField*>(e.Edited())->Brush()->GetColor() != clPurple)
                return -1;
            e.ButCancel->click();
            e.hide();
            return e.result();
        };
        QVERIFY(!EditOutField(f, FormMnemo));
        QCOMPARE(f->Brush()->GetColor(), before);
        QCOMPARE(TP().messages.size(), 1);
        QVERIFY(IniFile(FormMnemo->ConfigPath).SectionExists("TestOutField"));
    }

    void labelFontFileNamedAfterParent() {
        App app;
        FormMnemo->Timer1->stop();
        QWidget* inField = nullptr;
        for (QObject* c : FormMnemo->OutField_PLS->children())
            if (qobject_cast<TLabel*>(c))
                inField = static_cast<QWidget*>(c);
        QVERIFY(inField);
        QVERIFY(SaveFont(inField));
        QVERIFY(QFile::exists(TestDir() + "/config/OutField_PLS.INI"));
        IniFile ini(TestDir() + "/config/OutField_PLS.INI");
        ini.WriteInteger(inField->objectName(), "FontColor", clFuchsia);
        QVERIFY(LoadFont(inField));
        QCOMPARE(static_cast<TLabel*>(inField)->Font()->GetColor(), clFuchsia);
    }

    void mainMenuRows() {
        App app;
        FormMainMenu->resize(970, 47 + 682 + 28);
        FormMainMenu->PanelCenter->resize(850, 682);
        FormMainMenu->PanelCenterResize();
        for (QWidget* row : FormMainMenu->Rows)
            QCOMPARE(row->height(), 136);
        QCOMPARE(FormMainMenu->Captions[0]->GetCaption(), app->ActionMnemo->text());
        FormMainMenu->Captions[0]->Click();
        QCOMPARE(app->CurrentChild.data(), static_cast<QWidget*>(FormMnemo));
        QTest::mouseClick(FormMainMenu->Images[4], Qt::LeftButton);
        QCOMPARE(app->CurrentChild.data(), FormLogView);
    }

    // On a 1366 x 768 screen the scheme scrolls: at the bottom the sumps and
    // their levels are in sight and the refresh still paints them; the F keys
    // keep the position; shown whole it fits the frame, and stays so.
    void smallScreenReachesTheSumps() {
        int paints = 0;
        TEventCounter counter(QEvent::Paint, &paints);
        {
            App app;
            FormMnemo->Timer1->stop();
            app->resize(1366, 768);
            app->show();
            QVERIFY(QTest::qWaitForWindowExposed(app.main.get()));
            app->ActionMnemo->trigger();
            TChildFrame* frame = app->ChildFrameOf(FormMnemo);
            QVERIFY(frame && !frame->ShownWhole());
            QScrollBar* down = frame->ScrollArea()->verticalScrollBar();
            QTRY_VERIFY(down->isVisible());
            QVERIFY(down->maximum() > 0);
            down->setValue(down->maximum());
            QWidget* viewport = frame->ScrollArea()->viewport();
            const QList<QWidget*> bottom{FormMnemo->OutField_KS_level, FormMnemo->OutField_NS_level,
                                         FormMnemo->Flake_KS, FormMnemo->Flake_NS, FormMnemo->Pump_KS};
            for (QWidget* w : bottom)
                QVERIFY2(viewport->rect().contains(QRect(w->mapTo(viewport, QPoint(0, 0)), w->size())),
                         qPrintable(w->objectName()));
            QTest::qWait(20);
            FormMnemo->OutField_KS_level->installEventFilter(&counter);
            paints = 0;
            Feed(app, 1700, 0, 77, 33);
            QCOMPARE(FormMnemo->OutField_KS_level->GetOutValue(), 77.0);
            QCOMPARE(FormMnemo->OutField_NS_level->GetOutValue(), 33.0);
            QTRY_VERIFY(paints > 0);

            const int scrolled = down->value();
            app->ActionMainMenu->trigger();
            app->ActionMnemo->trigger();
            QCOMPARE(down->value(), scrolled);

            app->ActionMnemoFit->trigger();
            QVERIFY(app->ActionMnemoFit->isChecked());
            QVERIFY(frame->ShownWhole());
            QCOMPARE(app->MdiArea->activeSubWindow(), app->SubWindowOf(FormMnemo));
            const TScaledView* view = frame->ScaledView();
            const QRect shown(view->MapFromContent(QPointF(0, 0)), view->MapFromContent(QPointF(1272, 916)));
            QVERIFY2(view->viewport()->rect().adjusted(0, 0, 1, 1).contains(shown),
                     qPrintable(QDebug::toString(shown)));
            QTest::qWait(20);
            paints = 0;
            Feed(app, 1700, 0, 12, 33);
            QTRY_VERIFY(paints > 0);
            app->SaveConfig();
        }
        QVERIFY(ReadFileText(IniPath()).contains("MnemoFitToWindow=1"));
        App again(ReadFileText(IniPath()));
        QVERIFY(again->ActionMnemoFit->isChecked());
        QVERIFY(again->ChildFrameOf(FormMnemo)->ShownWhole());
    }

    void endToEndWithThePlantSimulator() {
        ResetPlantTables(1100);
        const TestDb db = TestDatabase();
        QProcess sim;
        sim.start(ORDAL_PLANTSIM, {"--port", QString::number(db.port), "--user", db.user, "--password", db.password,
                                   "--interval-ms", "300", "--duration", "8", "--setpoint", "1720"});
        QVERIFY(sim.waitForStarted());
        App app;
        QTest::qWait(1500);
        for (int i = 0; i < 3; ++i) {
            app.Poll();
            QTest::qWait(350);
        }
        FormMnemo->RefreshScheme();
        QCOMPARE(app->ShapeLink->Brush()->GetColor(), clGreen);
        QCOMPARE(FormMnemo->OutField_PLSZ->GetOutValue(), 1720.0);
        QVERIFY(FormMnemo->OutField_PLS->GetOutValue() > 1600);
        QVERIFY(FormMnemo->Running);
        QCOMPARE(FormMnemo->OutField_AR1->GetCaption(), QString("АВТОМАТ"));
        // A setpoint sent from the menu comes back as the plant's set density.
        TP().dialogHandler = [](QDialog& d) {
            d.findChild<QLineEdit*>("EditInput")->setText("1780");
            return int(QDialog::Accepted);
        };
        app->ActionSetPLSZExecute();
        QVERIFY(WaitForDatabase(app->SQLConnection1));
        QVERIFY(!app->SetpointSending());
        QVERIFY(TP().messages.isEmpty());
        for (int i = 0; i < 10 && FormMnemo->OutField_PLSZ->GetOutValue() != 1780.0; ++i) {
            QTest::qWait(400);
            app.Poll();
            FormMnemo->RefreshScheme();
        }
        QCOMPARE(FormMnemo->OutField_PLSZ->GetOutValue(), 1780.0);
        sim.write("quit\n");
        QVERIFY(sim.waitForFinished(10000));
    }
};

ORDAL_TEST_MAIN(TstMnemo)
#include "tst_mnemo.moc"
