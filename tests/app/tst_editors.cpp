// The five look editors without the scheme around them, and the program's
// general error handler (the test runs inside the program's application class).

#include "Application.h"
#include "Arrow.h"
#include "Barrel.h"
#include "Controls.h"
#include "Editors.h"
#include "FontDialog.h"
#include "IniFile.h"
#include "ObeyPermissions.h"
#include "Outfield.h"
#include "Poligon.h"
#include "Pump.h"
#include "Services.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFontDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum Kind { Arrow, OutField, Barrel, Pump, Poligon };

// An element of the kind on a window, with width 4 saved as its look.
QWidget* MakeElement(Kind kind, QWidget* window, const QString& configName) {
    QWidget* w = nullptr;
    switch (kind) {
    case Arrow: {
        auto* a = new TArrow(window);
        a->SetArrowWidth(4);
        w = a;
        break;
    }
    case OutField:
        w = new TOutField(window);
        break;
    case Barrel:
        w = new TBarrel(window);
        break;
    case Pump:
        w = new TPump(window);
        break;
    case Poligon:
        w = new TPoligon(window);
        break;
    }
    w->setObjectName(QStringLiteral("Element%1").arg(int(kind)));
    if (TPen* pen = w->property("Pen").value<TPen*>())
        pen->SetWidth(4);
    auto* look = dynamic_cast<TConfigurable*>(w);
    look->SetConfigName(configName);
    look->SaveConfig();
    return w;
}

int WidthOf(QWidget* w) {
    if (auto* a = qobject_cast<TArrow*>(w))
        return a->GetArrowWidth();
    return w->property("Pen").value<TPen*>()->GetWidth();
}

bool Edit(Kind kind, QWidget* element, QObject* scope) {
    switch (kind) {
    case Arrow:
        return EditArrow(static_cast<TArrow*>(element), scope);
    case OutField:
        return EditOutField(static_cast<TOutField*>(element), scope);
    case Barrel:
        return EditBarrel(static_cast<TBarrel*>(element));
    case Pump:
        return EditPump(static_cast<TPump*>(element), scope);
    case Poligon:
        break;
    }
    return EditPoligon(static_cast<TPoligon*>(element), scope);
}

QByteArray ReadBytes(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The file is written but not read while the object lives (as root too).
class WriteOnly {
public:
    explicit WriteOnly(const QString& name) : path_(QFile::encodeName(name)) {
        ok_ = obey_.Active() && ::chmod(path_.constData(), 0200) == 0;
    }
    ~WriteOnly() { ::chmod(path_.constData(), 0644); }
    bool ok() const { return ok_; }

private:
    ObeyPermissions obey_;
    QByteArray path_;
    bool ok_ = false;
};

} // namespace

class TstEditors : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        CreateArrowEditor(nullptr);
        CreateBarrelEditor(nullptr);
        CreateOutFieldEditor(nullptr);
        CreatePoligonEditor(nullptr);
        CreatePumpEditor(nullptr);
    }
    void cleanupTestCase() {
        for (TLookEditor* e :
             {FormArrowEdit, FormEditBarrel, FormOutFieldEdit, FormEditPoligon, FormEditPump})
            delete e;
    }
    void init() { TP().Reset(); }

    // Escape and the title bar's close are "Отменить": the element takes back
    // its saved look after "Применить". "Закрыть" of the arrow editor keeps it.
    void leavingTheEditor_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("width");
        for (const auto& [kind, name] :
             {std::pair{Arrow, "arrow"}, std::pair{OutField, "value field"}, std::pair{Barrel, "tank"},
              std::pair{Pump, "pump"}, std::pair{Poligon, "polygon"}}) {
            QTest::addRow("%s, Escape", name) << int(kind) << "escape" << 4;
            QTest::addRow("%s, title bar", name) << int(kind) << "close" << 4;
        }
        QTest::newRow("arrow, Закрыть") << int(Arrow) << "Закрыть" << 9;
    }
    void leavingTheEditor() {
        QFETCH(int, kind);
        QFETCH(QString, how);
        QFETCH(int, width);
        QWidget window;
        QWidget* element = MakeElement(Kind(kind), &window, TestDir() + "/looks.INI");
        TP().dialogHandler = [&](QDialog& d) {
            auto& e = static_cast<TLookEditor&>(d);
            e.show();
            e.EditWidth->setText("9");
            e.EditWidth->returnPressed();
            e.ButApply->click();
            if (WidthOf(element) != 9)
                return -1;
            if (how == "escape")
                QTest::keyClick(&e, Qt::Key_Escape);
            else if (how == "close")
                e.close();
            else
                e.ButClose->click();
            return e.isVisible() ? -2 : e.result();
        };
        QVERIFY(!Edit(Kind(kind), element, &window));
        QCOMPARE(WidthOf(element), width);
        QCOMPARE(IniFile(TestDir() + "/looks.INI")
                     .ReadInteger(element->objectName(), kind == Arrow ? "ArrowWidth" : "PenWidth", 0),
                 4);
    }

    // Only a whole number of zero or more becomes a width; anything else shows
    // the editor's invalid-number message and leaves the width as it was.
    void widthText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("negative") << "-5" << 4;
        QTest::newRow("not a number") << "x" << 4;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("positive") << "12" << 12;
    }
    void widthText() {
        QFETCH(QString, text);
        QFETCH(int, width);
        for (Kind kind : {Arrow, OutField}) {
            TP().Reset();
            QWidget window;
            QWidget* element = MakeElement(kind, &window, TestDir() + "/widths.INI");
            TP().dialogHandler = [&](QDialog& d) {
                auto& e = static_cast<TLookEditor&>(d);
                e.show();
                e.EditWidth->setText(text);
                e.EditWidth->returnPressed();
                e.ButApply->click();
                e.ButSaveGroup->click();
                return e.result();
            };
            QVERIFY(Edit(kind, element, nullptr));
            QCOMPARE(WidthOf(element), width);
            const bool refused = width == 4;
            QCOMPARE(TP().messages.size(),
                     refused ? (kind == Arrow ? 2 : 1) : 0); // the arrow's Apply takes the box again
            if (refused) {
                QCOMPARE(TP().messages[0].caption, QString("Ошибка"));
                QCOMPARE(TP().messages[0].text, QString("'%1' не является целым числом.").arg(text));
            }
        }
    }

    // "Шрифт" in the value-field editor: the whole font and its colour reach
    // the preview, "Применить" the field, Escape takes them back.
    void fontChoiceCarriesTheWholeFont() {
        QWidget window;
        auto* field = static_cast<TOutField*>(MakeElement(OutField, &window, TestDir() + "/fonts.INI"));
        field->Font()->SetName("Times New Roman");
        field->Font()->SetHeight(-21);
        field->Font()->SetColor(clNavy);
        field->Font()->SetStyle(fsBold);
        TFont preview, applied;
        TP().dialogHandler = [&](QDialog& d) {
            if (auto* fonts = qobject_cast<TFontDialog*>(&d)) {
                QFont f("Liberation Sans");
                f.setPointSize(14);
                f.setBold(false);
                f.setItalic(true);
                f.setUnderline(true);
                fonts->Fonts()->setCurrentFont(f);
                TP().nextColor = clFuchsia;
                fonts->ButColor()->click();
                return int(QDialog::Accepted);
            }
            auto& e = static_cast<TLookEditor&>(d);
            e.show();
            e.ActionButtons[2]->click(); // "Шрифт"
            preview.Assign(*static_cast<TOutField*>(e.Preview())->Font());
            e.ButApply->click();
            applied.Assign(*field->Font());
            QTest::keyClick(&e, Qt::Key_Escape);
            return e.result();
        };
        QCOMPARE(EditOutField(field, &window), false);
        for (const TFont* f : {&preview, &applied}) {
            QCOMPARE(f->GetName(), QString("Liberation Sans"));
            QCOMPARE(f->GetSize(), 14);
            QCOMPARE(f->GetStyle(), fsItalic | fsUnderline);
            QCOMPARE(f->GetColor(), clFuchsia);
        }
        QCOMPARE(field->Font()->GetHeight(), -21);
        QCOMPARE(field->Font()->GetStyle(), TFontStyles(fsBold));
        QCOMPARE(field->Font()->GetColor(), clNavy);
    }

    // An exception that leaves an event handler ends in one error box; the
    // event loop runs on.
    void generalErrorHandler() {
        bool after = false;
        QTimer::singleShot(0, [] { throw std::runtime_error("Сбой обработчика"); });
        QTimer::singleShot(0, [] { throw 42; });
        QTimer::singleShot(0, [&] { after = true; });
        QTRY_VERIFY(after);
        QCOMPARE(TP().messages.size(), 2);
        QCOMPARE(TP().messages[0].text, QString("Сбой обработчика"));
        QCOMPARE(TP().messages[0].caption, QString("Ошибка"));
        QCOMPARE(TP().messages[0].icon, QMessageBox::Critical);
        QCOMPARE(TP().messages[1].text, QString("Неизвестная ошибка."));
    }

    // A value field whose look file cannot be written: the editor's snapshot
    // and "Применить" fail, each with the error box, and the program runs on.
    void unwritableLookFile() {
        QDir(TestDir()).mkpath("config");
        QFile::setPermissions(TestDir() + "/config", QFile::ReadOwner | QFile::ExeOwner);
        if (geteuid() == 0) // permissions do not stop root: a directory where the file should be does
            QDir(TestDir()).mkpath("config/FormMnemo.INI");
        QWidget window;
        auto* field = new TOutField(&window);
        field->setObjectName("OutField_PLS");
        field->SetConfigName(".\\config\\FormMnemo.INI");
        QVERIFY_THROWS_EXCEPTION(IniFileError, field->SaveConfig());
        TP().nextColor = clPurple;
        int shownErrors = -1;
        TP().dialogHandler = [&](QDialog& d) {
            auto& e = static_cast<TLookEditor&>(d);
            e.show();
            shownErrors = int(TP().messages.size());
            e.ActionButtons[0]->click(); // "Цвет фона"
            QTest::mouseClick(e.ButApply, Qt::LeftButton);
            QTest::mouseClick(e.ButCancel, Qt::LeftButton);
            return e.result();
        };
        QVERIFY(!EditOutField(field, &window));
        QCOMPARE(shownErrors, 1); // the snapshot
        QCOMPARE(TP().messages.size(), 2);
        for (const RecordedMessage& m : TP().messages) {
            QCOMPARE(m.caption, QString("Ошибка"));
            QVERIFY2(m.text.contains("FormMnemo.INI"), qPrintable(m.text));
        }
        QVERIFY(!FormOutFieldEdit->isVisible());
        QFile::setPermissions(TestDir() + "/config", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // A look file that exists but cannot be read: each save of the editor is
    // refused and said in an error box with the reason (the elements whose
    // save reports false as well as the value field, whose save throws),
    // "Сохранить для всей группы" leaves the editor open, and the file keeps
    // every look it held. Before, the first save replaced it with one look.
    void unreadableLookFile_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("boxes"); // the snapshot, "Применить" (not the arrow's), the group's save
        QTest::newRow("arrow") << int(Arrow) << 2;
        QTest::newRow("value field") << int(OutField) << 3;
        QTest::newRow("tank") << int(Barrel) << 3;
        QTest::newRow("pump") << int(Pump) << 3;
        QTest::newRow("polygon") << int(Poligon) << 3;
    }
    void unreadableLookFile() {
        QFETCH(int, kind);
        QFETCH(int, boxes);
        const QString file = TestDir() + "/unreadable-looks.INI";
        QFile::remove(file);
        QWidget window;
        QWidget* other = MakeElement(Kind(kind), &window, file);
        other->setObjectName("Other");
        dynamic_cast<TConfigurable*>(other)->SaveConfig();
        QWidget* element = MakeElement(Kind(kind), &window, file);
        const QByteArray before = ReadBytes(file);
        QVERIFY(before.contains("[Other]"));
        bool stayedOpen = false;
        {
            WriteOnly unreadable(file);
            if (!unreadable.ok())
                QSKIP("file permissions cannot be enforced for this process");
            TP().dialogHandler = [&](QDialog& d) {
                auto& e = static_cast<TLookEditor&>(d);
                e.show();
                e.EditWidth->setText("9");
                e.EditWidth->returnPressed();
                QTest::mouseClick(e.ButApply, Qt::LeftButton);
                QTest::mouseClick(e.ButSaveGroup, Qt::LeftButton);
                stayedOpen = e.isVisible();
                QTest::mouseClick(e.ButCancel, Qt::LeftButton);
                return e.result();
            };
            QVERIFY(!Edit(Kind(kind), element, &window));
        }
        QVERIFY(stayedOpen);
        QCOMPARE(TP().messages.size(), boxes);
        for (const RecordedMessage& m : TP().messages) {
            QCOMPARE(m.caption, QString("Ошибка"));
            QVERIFY2(m.text.contains("Не удается прочитать файл " + file), qPrintable(m.text));
        }
        QCOMPARE(ReadBytes(file), before);
    }

    // A label's font chosen for a file that cannot be read: the error box says
    // so, and the file is as it was.
    void labelFontForAnUnreadableFile() {
        QDir(TestDir()).mkpath("config");
        const QString file = TestDir() + "/config/FormFonts.INI";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Label0]\nFontColor=255\nFontSize=12\nFontName=Arial\n[Label1]\nFontSize=9\n");
        f.close();
        QWidget window;
        window.setObjectName("FormFonts");
        auto* label = new TLabel(&window);
        label->setObjectName("Label1");
        QFont chosen("Liberation Sans");
        chosen.setPointSize(14);
        TP().nextFont = std::pair{chosen, clNavy};
        {
            WriteOnly unreadable(file);
            if (!unreadable.ok())
                QSKIP("file permissions cannot be enforced for this process");
            QVERIFY(!ChooseFont(label, &window));
        }
        QCOMPARE(label->Font()->GetSize(), 14); // shown until the scheme is set up again
        QCOMPARE(TP().messages.size(), 1);
        const QString text = TP().messages[0].text;
        QVERIFY2(text.startsWith("Шрифт не сохранен: Не удается прочитать файл ") &&
                     text.contains("FormFonts.INI"),
                 qPrintable(text));
        QCOMPARE(ReadBytes(file),
                 QByteArray("[Label0]\nFontColor=255\nFontSize=12\nFontName=Arial\n[Label1]\nFontSize=9\n"));
    }
};

ORDAL_TEST_MAIN_APP(TstEditors, TApplication)
#include "tst_editors.moc"
