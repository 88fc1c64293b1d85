// The standard controls as the windows' layouts place them, and events bound
// to a window's handlers by name from a layout line.

#include "Layout.h"
#include "Stdcontrols.h"
#include "TestSupport.h"

#include <QDialog>

namespace {

class TFormStd : public QWidget {
    Q_OBJECT
public:
    QStringList calls;
public Q_SLOTS:
    void ButReloadClick(QObject* sender) { calls << "reload:" + sender->objectName(); }
    void PageShow(QObject* sender) { calls << "show:" + sender->objectName(); }
    void CmdShowClick(QObject* sender) { calls << "cmd:" + sender->objectName(); }
    void ListChange(QObject* sender) { calls << "change:" + sender->objectName(); }
};

class TDialogStd : public QDialog {
    Q_OBJECT
};

const char* const kLayout = R"(object FormStd: TFormStd
  Width = 500
  Height = 300
  object ButReload: TButton
    Left = -100
    Top = 8
    Caption = 'Обновить'
    Default = True
    OnClick = ButReloadClick
  end
  object ComboBox1: TComboBox
    Style = csDropDownList
    Items.Strings = (
      'Смена №1'
      'Смена №2'
      'Обе смены')
    ItemIndex = 2
    Font.Name = 'Times New Roman'
    Font.Height = -16
    OnChange = ListChange
  end
  object Picker: TDateTimePicker
    Kind = dtkTime
    DateTime = 46366.75
  end
  object EditPassword: TEdit
    PasswordChar = '$'
    Text = 'secret'
    Enabled = False
  end
  object Pages: TPageControl
    Left = 0
    Top = 40
    Width = 400
    Height = 200
    object TabSheet1: TTabSheet
      Caption = 'Общие'
      OnShow = PageShow
      object Box: TGroupBox
        Caption = 'Начало смены'
        object Check: TCheckBox
          Caption = 'Запоминать пароль'
          Checked = True
        end
      end
    end
    object TabSheet2: TTabSheet
      Caption = 'Константы'
      OnShow = PageShow
    end
  end
  object PopupMenu1: TPopupMenu
    object CmdShowSatellite: TMenuItem
      Caption = 'Показать цифровые значения'
      OnClick = CmdShowClick
    end
  end
end
)";

} // namespace

class TstStdControls : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layoutPlacesStandardControls() {
        TFormStd form;
        const TLayout layout = LoadLayoutText(&form, QString::fromUtf8(kLayout), "std.layout");
        auto* combo = layout.Get<TComboBox>("ComboBox1");
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentText(), QString("Обе смены"));
        QVERIFY(!combo->isEditable());
        QCOMPARE(combo->font().family(), QString("Times New Roman"));
        QCOMPARE(combo->font().pixelSize(), 16);
        auto* picker = layout.Get<TDateTimePicker>("Picker");
        QCOMPARE(picker->displayFormat(), QString("HH:mm:ss"));
        QCOMPARE(qRound64(picker->GetDateTime() * 86400), qRound64(46366.75 * 86400));
        QCOMPARE(qRound64(picker->Time() * 86400), qint64(18 * 3600));
        auto* edit = layout.Get<TEdit>("EditPassword");
        QCOMPARE(edit->echoMode(), QLineEdit::Password);
        QVERIFY(!edit->isEnabled());
        auto* pages = layout.Get<TPageControl>("Pages");
        QCOMPARE(pages->count(), 2);
        QCOMPARE(pages->tabText(1), QString("Константы"));
        QVERIFY(layout.Get<TCheckBox>("Check")->isChecked());
        QCOMPARE(layout.Get<TCheckBox>("Check")->parentWidget(), layout.Get<TGroupBox>("Box"));
        auto* menu = layout.Get<TPopupMenu>("PopupMenu1");
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions()[0]->text(), QString("Показать цифровые значения"));
    }

    void eventsBindToTheWindowsHandlers() {
        TFormStd form;
        const TLayout layout = LoadLayoutText(&form, QString::fromUtf8(kLayout), "std.layout");
        form.calls.clear(); // placing the controls raises nothing
        layout.Get<TButton>("ButReload")->click();
        layout.Get<TComboBox>("ComboBox1")->setCurrentIndex(0);
        layout.Get<TPageControl>("Pages")->setCurrentIndex(1);
        layout.Get<TMenuItem>("CmdShowSatellite")->trigger();
        QCOMPARE(form.calls, QStringList({"reload:ButReload", "change:ComboBox1", "show:TabSheet2",
                                          "cmd:CmdShowSatellite"}));
        // Enter anywhere in the window clicks its default button.
        form.calls.clear();
        QTest::keyClick(layout.Get<TEdit>("EditPassword"), Qt::Key_Return);
        QTest::keyClick(&form, Qt::Key_Return);
        QCOMPARE(form.calls, QStringList({"reload:ButReload", "reload:ButReload"}));
    }

    void badEventLinesNameTheirLine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("no handler") << "OnClick = NoSuchHandler" << "no handler NoSuchHandler";
        QTest::newRow("no event") << "OnWobble = ButReloadClick" << "has no event OnWobble";
    }
    void badEventLinesNameTheirLine() {
        QFETCH(QString, line);
        QFETCH(QString, message);
        TFormStd form;
        const QString text = "object FormStd: TFormStd\n  object B: TButton\n    " + line + "\n  end\nend\n";
        try {
            LoadLayoutText(&form, text, "bad.layout");
            QFAIL("loaded");
        } catch (const ELayoutError& e) {
            QCOMPARE(e.Line(), 3);
            QVERIFY2(e.Message().contains(message), qPrintable(e.Text()));
        }
        QVERIFY(form.findChildren<TButton*>().isEmpty()); // nothing half-built left
    }

    void modalResultClosesTheDialog() {
        TDialogStd dialog;
        const TLayout layout = LoadLayoutText(
            &dialog, "object D: TDialogStd\n  object Ok: TButton\n    ModalResult = 1\n  end\nend\n", "d.layout");
        QTimer::singleShot(0, layout.Get<TButton>("Ok"), &TButton::click);
        QCOMPARE(dialog.exec(), 1);
    }
};

ORDAL_TEST_MAIN(TstStdControls)
#include "tst_stdcontrols.moc"
