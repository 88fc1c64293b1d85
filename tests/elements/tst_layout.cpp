#include "Controls.h"
#include "ElementTestSupport.h"
#include "Layout.h"
#include "Outfield.h"
#include "TestSupport.h"

#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>

namespace {

class TFormTest : public QWidget {
    Q_OBJECT
};

// A component with the kinds of property the layouts use, logging its setters.
class THolder : public TGraphicElement {
    Q_OBJECT
    Q_PROPERTY(double Speed READ GetSpeed WRITE SetSpeed)
    Q_PROPERTY(double Ratio READ GetRatio WRITE SetRatio)
    Q_PROPERTY(QStringList Lines READ GetLines WRITE SetLines)
    Q_PROPERTY(TStringList* List READ List)
    Q_PROPERTY(THolder* Next READ GetNext WRITE SetNext)
    Q_PROPERTY(QString Fixed READ GetFixed)
    Q_PROPERTY(TPen* Pen READ Pen)
public:
    explicit THolder(QWidget* owner = nullptr)
        : TGraphicElement(owner), list_(OwnStyle<TStringList>(this)), pen_(OwnStyle<TPen>(this)) {}
    TPen* Pen() const { return pen_; }
    void StyleChanged(QObject* sender) override {
        styleChanges.append(sender);
        TGraphicElement::StyleChanged(sender);
    }
    QList<QObject*> styleChanges;
    double GetSpeed() const { return speed_; }
    void SetSpeed(double v) {
        log.append("Speed");
        speed_ = v;
    }
    double GetRatio() const { return ratio_; }
    void SetRatio(double v) {
        log.append("Ratio");
        ratio_ = v;
    }
    QStringList GetLines() const { return lines_; }
    void SetLines(const QStringList& v) { lines_ = v; }
    TStringList* List() const { return list_; }
    THolder* GetNext() const { return next_; }
    void SetNext(THolder* v) { next_ = v; }
    QString GetFixed() const { return QString(); }
    QStringList log;

protected:
    void Paint(QPainter&) override {}

private:
    double speed_ = 0, ratio_ = 0;
    QStringList lines_;
    TStringList* list_;
    TPen* pen_;
    THolder* next_ = nullptr;
};

// A non-visual component.
class TTable : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Tag READ GetTag WRITE SetTag)
public:
    explicit TTable(QObject* owner = nullptr) : QObject(owner) {}
    int GetTag() const { return tag_; }
    void SetTag(int v) { tag_ = v; }

private:
    int tag_ = 0;
};

} // namespace

ORDAL_REGISTER_CLASS(THolder)
ORDAL_REGISTER_CLASS(TTable)

namespace {

const char* const kGood = R"(// a piece of the scheme
object FormTest: TFormTest
  Caption = 'Мнемосхема'
  Width = 400
  Height = 300
  object OutField_PLS: TOutField
    Left = 100
    Top = 50
    Width = 120
    Height = 30
    Tag = 100
    OutFormat = '###0 кг/м'
    Pen.Color = clAqua
    Pen.Width = 2
    Pen.Style = psDash
    Brush.Color = $00FFFF
    Font.Name = 'Arial'
    Font.Size = 12
    Font.Style = [fsBold, fsItalic]
    VAlign = vm_VAlignBottom
    Alpha = -450
    HandWriting = True
    Cursor = crHandPoint
    Hint = 'It''s ' +
      'joined'#33
    object Label17: TLabel
      Left = 90
      Top = 2
      Caption = '3'
      Font.Color = 255
      Font.Style = [fsBold]
      Font.Style = []
      Cursor = -21
      Transparent = true
    end
  end
  object Holder1: THolder
    Ratio = -1e-3
    Speed = 2.5
    Next = Holder2
    Lines = (
      'первая'
      // a comment line inside a list
      'second')
    List.Strings = ( '1' '2' '3' )
    Pen.Width = 2
    Pen.Width = 2
  end
  object Table1: TTable
    Tag = 7
  end
  object Holder2: THolder
    Next = Holder1
    List = ( )
    Visible = False
  end
end
)";

} // namespace

class TstLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void goodLayout() {
        TFormTest form;
        const TLayout layout = LoadLayoutText(&form, QString::fromUtf8(kGood), "FormTest.layout");
        QCOMPARE(form.objectName(), QString("FormTest"));
        QCOMPARE(form.windowTitle(), QString("Мнемосхема"));
        QCOMPARE(form.size(), QSize(400, 300));

        QStringList names;
        for (QObject* c : layout.components)
            names.append(c->objectName());
        QCOMPARE(names, QStringList({"OutField_PLS", "Label17", "Holder1", "Table1", "Holder2"}));
        QCOMPARE(Components(&form), layout.components);
        QCOMPARE(FindComponent(&form, "table1"), layout.Find("Table1"));
        QVERIFY(!FindComponent(&form, "FormTest")); // the window is not its own component

        auto* field = layout.Get<TOutField>("OutField_PLS");
        QCOMPARE(field->parentWidget(), &form);
        QCOMPARE(field->geometry(), QRect(100, 50, 120, 30));
        QCOMPARE(field->GetTag(), 100);
        QCOMPARE(field->GetOutFormat(), QString("###0 кг/м"));
        QCOMPARE(field->Pen()->GetColor(), clAqua);
        QCOMPARE(field->Pen()->GetWidth(), 2);
        QCOMPARE(field->Pen()->GetStyle(), psDash);
        QCOMPARE(field->Brush()->GetColor(), clYellow);
        QCOMPARE(field->Font()->GetName(), QString("Arial"));
        QCOMPARE(field->Font()->GetSize(), 12);
        QCOMPARE(field->Font()->GetStyle(), fsBold | fsItalic);
        QCOMPARE(field->GetVAlign(), vm_VAlignBottom);
        QCOMPARE(field->GetAlpha(), -450);
        QVERIFY(field->GetHandWriting());
        QCOMPARE(field->GetCursor(), crHandPoint);
        QCOMPARE(field->GetHint(), QString("It's joined!"));
        QVERIFY(field->isVisibleTo(&form));

        auto* label = layout.Get<TLabel>("Label17");
        QCOMPARE(label->parentWidget(), field);
        QCOMPARE(label->GetCaption(), QString("3"));
        QCOMPARE(label->Font()->GetColor(), clRed);
        QVERIFY(!label->Font()->GetStyle());
        QCOMPARE(label->GetCursor(), crHandPoint);
        QVERIFY(label->GetTransparent());
        QCOMPARE(label->pos(), QPoint(90, 2));
        QCOMPARE(QByteArray(label->metaObject()->className()), QByteArray("TLabel"));

        auto* h1 = layout.Get<THolder>("Holder1");
        auto* h2 = layout.Get<THolder>("holder2");          // names match without regard to case
        QCOMPARE(h1->log, QStringList({"Ratio", "Speed"})); // file order, through the setters
        QCOMPARE(h1->GetSpeed(), 2.5);
        QCOMPARE(h1->GetRatio(), -0.001);
        QCOMPARE(h1->GetNext(), h2); // a reference ahead of its target
        QCOMPARE(h2->GetNext(), h1);
        QCOMPARE(h1->GetLines(), QStringList({"первая", "second"}));
        QCOMPARE(h1->List()->Strings(), QStringList({"1", "2", "3"}));
        QCOMPARE(h2->List()->Count(), 0);
        // The list and the pen reported once each (the second Pen.Width is no change).
        QCOMPARE(h1->styleChanges, QList<QObject*>({h1->List(), h1->Pen()}));
        QVERIFY(!h2->GetVisible());

        auto* table = layout.Get<TTable>("Table1");
        QCOMPARE(table->parent(), &form);
        QCOMPARE(table->GetTag(), 7);

        QVERIFY_THROWS_EXCEPTION(ELayoutError, layout.Get<TLabel>("OutField_PLS"));
        QVERIFY_THROWS_EXCEPTION(ELayoutError, layout.Get<TLabel>("Nobody"));
    }

    // Self-registration of units nothing else references (the plain controls).
    void registry() {
        for (const char* name : {"TOutField", "TLabel", "TPanel", "TShape", "TImage"})
            QVERIFY2(TClassRegistry::Contains(name), name);
        QVERIFY(!TClassRegistry::Contains("TNothing"));
        QWidget parent;
        QObject* shape = TClassRegistry::Create("TShape", &parent);
        QVERIFY(qobject_cast<TShape*>(shape));
        QCOMPARE(shape->parent(), &parent);
    }

    // Plain toolkit widgets a window registers under its own names.
    void plainWidgets() {
        TClassRegistry::Register("TButton", &QPushButton::staticMetaObject, [](QObject* p) -> QObject* {
            return new QPushButton(qobject_cast<QWidget*>(p));
        });
        TFormTest form;
        const TLayout layout = LoadLayoutText(&form, R"(object FormTest: TFormTest
  Caption = 'Окно'
  ClientWidth = 200
  object ButReload: TButton
    Left = 8
    Top = 9
    Width = 75
    Height = 25
    Caption = 'Обновить'
    Hint = 'Перечитать'
    Enabled = False
  end
end
)",
                                              "plain.layout");
        auto* button = layout.Get<QPushButton>("ButReload");
        QCOMPARE(button->text(), QString("Обновить"));
        QCOMPARE(button->geometry(), QRect(8, 9, 75, 25));
        QCOMPARE(button->toolTip(), QString("Перечитать"));
        QVERIFY(!button->isEnabled());
        QCOMPARE(form.windowTitle(), QString("Окно"));
        QCOMPARE(form.width(), 200);
    }

    void badLayouts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("message");
        const QString head = "object FormTest: TFormTest\n  object A1: TOutField\n";
        const QString tail = "  end\nend\n";
        QTest::newRow("unknown class") << "object FormTest: TFormTest\n  object X: TNothing\n  end\nend\n"
                                       << 2 << "X"
                                       << "unknown class TNothing";
        QTest::newRow("unknown property") << head + "    Colour = clRed\n" + tail << 3 << "A1"
                                          << "unknown property Colour of TOutField";
        QTest::newRow("unknown sub-property") << head + "    Pen.Colour = clRed\n" + tail << 3 << "A1"
                                              << "unknown property Pen.Colour of TPen";
        QTest::newRow("not an object") << head + "    Alpha.Color = clRed\n" + tail << 3 << "A1"
                                       << "TOutField has no object property Alpha";
        QTest::newRow("text for integer") << head + "    Left = 'abc'\n" + tail << 3 << "A1"
                                          << "a text does not fit property Left";
        QTest::newRow("bad number") << head + "    Left = 12abc\n" + tail << 3 << "A1"
                                    << "not a number: \"12abc\"";
        QTest::newRow("float for integer") << head + "    Left = 1.5\n" + tail << 3 << "A1"
                                           << "a number does not fit property Left";
        QTest::newRow("unknown colour") << head + "    Pen.Color = clMauve\n" + tail << 3 << "A1"
                                        << "unknown name clMauve for property Color";
        QTest::newRow("unknown enum") << head + "    VAlign = vm_Middle\n" + tail << 3 << "A1"
                                      << "vm_Middle is not a value of VAlign";
        QTest::newRow("unknown set member")
            << head + "    Font.Style = [fsBold, fsHuge]\n" + tail << 3 << "A1"
            << "fsHuge is not a value of Style";
        QTest::newRow("bad boolean") << head + "    Transparent = Yes\n" + tail << 3 << "A1"
                                     << "the name Yes does not fit property Transparent";
        QTest::newRow("unterminated text") << head + "    OutFormat = '###0\n" + tail << 3 << "A1"
                                           << "unterminated text";
        QTest::newRow("text after value") << head + "    OutFormat = '0' '1'\n" + tail << 3 << "A1"
                                          << "unexpected text after the value";
        QTest::newRow("garbage after value") << head + "    Left = 5 6\n" + tail << 3 << "A1"
                                             << "unexpected text after the value";
        QTest::newRow("missing value") << head + "    Left =\n" + tail << 3 << "A1"
                                       << "missing value";
        QTest::newRow("no equals") << head + "    Left 5\n" + tail << 3 << "A1"
                                   << "expected \"Property = value\"";
        QTest::newRow("open list") << head + "    Hint = ( 'a'\n"
                                   << 3 << "A1"
                                   << "the value does not end before the end of the file";
        QTest::newRow("missing end") << head + "  end\n"
                                     << 3 << "FormTest"
                                     << "missing \"end\" of FormTest";
        QTest::newRow("stray end") << head + tail + "end\n"
                                   << 5 << ""
                                   << "text after the end of the layout";
        QTest::newRow("duplicate name") << head + "  end\n  object a1: TLabel\n  end\nend\n"
                                        << 4 << "a1"
                                        << "a component named a1 exists already";
        QTest::newRow("other window") << "object FormX: TFormMain\nend\n"
                                      << 1 << "FormX"
                                      << "the layout is for TFormMain, not for TFormTest";
        QTest::newRow("bad object line") << "object FormTest TFormTest\nend\n"
                                         << 1 << ""
                                         << "expected \"object Name: TClass\"";
        QTest::newRow("empty") << "// nothing\n"
                               << 0 << ""
                               << "the layout holds no object";
        QTest::newRow("missing reference")
            << "object FormTest: TFormTest\n  object H: THolder\n    Next = Nobody\n  end\nend\n"
            << 3 << "H"
            << "no component named Nobody";
        QTest::newRow("reference of another class") << "object FormTest: TFormTest\n  object H: THolder\n    "
                                                       "Next = L\n  end\n  object L: TLabel\n  end\nend\n"
                                                    << 3 << "H"
                                                    << "L is a TLabel, property Next needs a THolder";
        QTest::newRow("read-only")
            << "object FormTest: TFormTest\n  object H: THolder\n    Fixed = 'x'\n  end\nend\n"
            << 3 << "H"
            << "property Fixed is read-only";
        QTest::newRow("control in a component")
            << "object FormTest: TFormTest\n  object T: TTable\n    object L: TLabel\n    end\n  end\nend\n"
            << 3 << "L"
            << "a control cannot be placed in T";
        QTest::newRow("failing setter")
            << "object FormTest: TFormTest\n  object I: TImage\n    Picture = 'no.png'\n"
               "  end\nend\n"
            << 3 << "I"
            << "setting Picture failed: cannot read the picture no.png";
        QTest::newRow("bad character code") << head + "    Hint = #99999999\n" + tail << 3 << "A1"
                                            << "bad character code";
        QTest::newRow("renamed onto a name before")
            << head + "  end\n  object B1: TLabel\n    Name = 'a1'\n  end\nend\n"
            << 5 << "B1"
            << "a component named a1 exists already";
        QTest::newRow("renamed onto a name after")
            << head + "    Name = 'B1'\n  end\n  object B1: TLabel\n  end\nend\n"
            << 5 << "B1"
            << "a component named B1 exists already";
        QTest::newRow("renamed to no name") << head + "    Name = '1x'\n" + tail << 3 << "A1"
                                            << "a name must be a text";
    }

    // The layout finds a renamed component by its new name only.
    void renamedComponent() {
        TFormTest form;
        const TLayout layout = LoadLayoutText(
            &form, "object FormTest: TFormTest\n  object L1: TLabel\n    Name = 'LabelTop'\n  end\nend\n",
            "r.layout");
        QCOMPARE(layout.Find("labeltop"), form.findChild<TLabel*>("LabelTop"));
        QVERIFY(!layout.Find("L1"));
    }
    void badLayouts() {
        QFETCH(QString, text);
        QFETCH(int, line);
        QFETCH(QString, element);
        QFETCH(QString, message);
        TFormTest form;
        try {
            LoadLayoutText(&form, text, "bad.layout");
            QFAIL("no error");
        } catch (const ELayoutError& e) {
            QCOMPARE(e.File(), QString("bad.layout"));
            QCOMPARE(e.Line(), line);
            QCOMPARE(e.Element(), element);
            QVERIFY2(e.Message().contains(message), qPrintable(e.Text()));
            QVERIFY(e.Text().startsWith(QString("bad.layout:%1: ").arg(line)));
        }
        // Nothing half-built stays behind.
        QVERIFY(form.findChildren<QWidget*>().isEmpty());
        QVERIFY(Components(&form).isEmpty());
    }

    // Damaged layouts (characters dropped, doubled or replaced, lines swapped)
    // end in ELayoutError or load; nothing else, and nothing half-built.
    void damagedLayoutsOnlyReportErrors() {
        QRandomGenerator rng(1234);
        const QString good = QString::fromUtf8(kGood);
        const QString noise = "'#()[]=+.:,$ \nobjectend0x-9Zя";
        int errors = 0;
        for (int round = 0; round < 400; ++round) {
            QString text = good;
            const int edits = 1 + rng.bounded(4);
            for (int k = 0; k < edits; ++k) {
                const int at = rng.bounded(int(text.size()));
                switch (rng.bounded(3)) {
                case 0:
                    text.remove(at, 1 + rng.bounded(8));
                    break;
                case 1:
                    text.insert(at, text.mid(rng.bounded(int(text.size())), 1 + rng.bounded(20)));
                    break;
                default:
                    text[at] = noise[rng.bounded(int(noise.size()))];
                    break;
                }
            }
            TFormTest form;
            try {
                LoadLayoutText(&form, text, "damaged.layout");
            } catch (const ELayoutError&) {
                ++errors;
                QVERIFY(form.findChildren<QWidget*>().isEmpty());
            } catch (...) {
                QFAIL(qPrintable("another failure for:\n" + text));
            }
        }
        QVERIFY(errors > 100);
    }

    void loadFromFile() {
        TFormTest form;
        {
            QFile f("FormTest.layout");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(
                "\xEF\xBB\xBFobject FormTest: TFormTest\r\n  object L: TLabel\r\n    Caption = 'Уровень'\r\n"
                "  end\r\nend\r\n");
        }
        const TLayout layout = LoadLayout(&form, "FormTest.layout");
        QCOMPARE(layout.Get<TLabel>("L")->GetCaption(), QString("Уровень"));

        TFormTest other;
        {
            QFile f("cp1251.layout");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("object FormTest: TFormTest\n  Caption = '\xD3\xF0\xEE\xE2\xE5\xED\xFC'\nend\n");
        }
        QVERIFY_THROWS_EXCEPTION(ELayoutError, LoadLayout(&other, "cp1251.layout"));
        QVERIFY_THROWS_EXCEPTION(ELayoutError, LoadLayout(&other, "missing.layout"));
    }

    void alignDocksChildren() {
        TFormTest form;
        const TLayout layout = LoadLayoutText(&form, R"(object FormTest: TFormTest
  Width = 300
  Height = 200
  object Bottom1: TPanel
    Align = alBottom
    Height = 20
  end
  object Top2: TPanel
    Top = 50
    Align = alTop
    Height = 30
  end
  object Top1: TPanel
    Top = 0
    Align = alTop
    Height = 40
  end
  object Left1: TLabel
    AutoSize = False
    Width = 50
    Align = alLeft
  end
  object Client: TShape
    Align = alClient
  end
end
)",
                                              "align.layout");
        QCOMPARE(layout.Get<TPanel>("Top1")->geometry(), QRect(0, 0, 300, 40));
        QCOMPARE(layout.Get<TPanel>("Top2")->geometry(), QRect(0, 40, 300, 30));
        QCOMPARE(layout.Get<TPanel>("Bottom1")->geometry(), QRect(0, 180, 300, 20));
        QCOMPARE(layout.Get<TLabel>("Left1")->geometry(), QRect(0, 70, 50, 110));
        QCOMPARE(layout.Get<TShape>("Client")->geometry(), QRect(50, 70, 250, 110));
        form.show();
        form.resize(400, 300); // docking follows the parent
        QCOMPARE(layout.Get<TPanel>("Bottom1")->geometry(), QRect(0, 280, 400, 20));
        QCOMPARE(layout.Get<TShape>("Client")->geometry(), QRect(50, 70, 350, 210));
    }
};

ORDAL_TEST_MAIN(TstLayout)
#include "tst_layout.moc"
