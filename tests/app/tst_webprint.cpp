// The report printer without a database: filling a template, the report files
// in turn, the missing template, the legend drawn into a chart picture at the
// picture's scale, the pictures in the view, and the report saved as PDF (read
// back with poppler's tools).

#include "Arrow.h"
#include "Controls.h"
#include "Cp1251.h"
#include "Global.h"
#include "Layout.h"
#include "Levelgraph.h"
#include "TestSupport.h"
#include "Webprint.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTextDocument>
#include <memory>

namespace {

QString TempPath(const QString& name) {
    return TestDir() + "/Temp/" + name;
}

QString WriteText(const QString& path, const QByteArray& text) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A one-colour chart picture of the size the trend windows print.
QString WritePicture(const QString& name, QColor colour) {
    QImage img(1000, 500, QImage::Format_RGB888);
    img.fill(colour);
    const QString path = TempPath(name);
    if (!img.save(path, "BMP"))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Text is smoothed: a pixel counts for a colour when it is nearer to it than
// halfway to the white background.
bool Near(QColor px, QColor c) {
    return qAbs(px.red() - c.red()) + qAbs(px.green() - c.green()) + qAbs(px.blue() - c.blue()) < 160;
}

int CountColour(const QImage& img, QColor colour, QRect in = QRect()) {
    const QRect r = in.isNull() ? img.rect() : in.intersected(img.rect());
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += Near(img.pixelColor(x, y), colour);
    return n;
}

// The leftmost column holding the colour, -1 when none does.
int LeftmostOf(const QImage& img, QColor colour) {
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            if (Near(img.pixelColor(x, y), colour))
                return x;
    return -1;
}

// Runs a poppler tool; the test fails when it does not run.
QString Poppler(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        qWarning("%s failed: %s", qPrintable(tool), p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TstWebprint : public QObject {
    Q_OBJECT
    std::unique_ptr<TFormWebPrint> w_;

private Q_SLOTS:
    void init() {
        TP().Reset();
        TempDir = TestDir() + "/Temp";
        QDir(TempDir).removeRecursively();
        QDir().mkpath(TempDir);
        w_ = std::make_unique<TFormWebPrint>();
    }
    void cleanup() { w_.reset(); }

    void fillTemplate_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("filled");
        QTest::newRow("each key at its first place only")
            << "<h1>QRLabelTitle</h1><p>QRLabelTitle QRLabelDate</p>"
            << QStringList{"QRLabelTitle", "QRLabelDate"} << QStringList{"Уровни", "05.03.2026"}
            << "<h1>Уровни</h1><p>QRLabelTitle 05.03.2026</p>";
        QTest::newRow("a value holding a later key is changed again")
            << "<h1>QRLabelTitle</h1><img src=\"pic1.BMP\">" << QStringList{"QRLabelTitle", "pic1.BMP"}
            << QStringList{"see pic1.BMP", "/t/pic0.bmp"} << "<h1>see /t/pic0.bmp</h1><img src=\"pic1.BMP\">";
        QTest::newRow("an earlier key's value is not searched by itself again")
            << "AB" << QStringList{"A", "B"} << QStringList{"B", "x"} << "xB";
        QTest::newRow("missing, empty and differently cased keys are skipped")
            << "pic1.bmp LabelName1" << QStringList{"LabelName2", "", "pic1.BMP", "LabelName1"}
            << QStringList{"n2", "empty", "p", "<b>&</b>"} << "pic1.bmp <b>&</b>";
    }
    void fillTemplate() {
        QFETCH(QString, page);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, values);
        QFETCH(QString, filled);
        QCOMPARE(FillTemplate(page, keys, values), filled);
    }

    void reportFilesInTurn() {
        const QString tpl =
            WriteText(TestDir() + "/t.html", "<p>QRLabelTitle</p>\r\n<p>QRLabelTitle</p>\r\n");
        QStringList shown;
        TP().dialogHandler = [&](QDialog& d) {
            shown << d.objectName();
            return int(QDialog::Rejected);
        };
        const QStringList expected{"Type1.html", "Type2.html", "Type3.html", "Type0.html", "Type1.html"};
        for (int i = 0; i < expected.size(); ++i) {
            QVERIFY(w_->PrintTemplate(tpl, {"QRLabelTitle"}, {QString("отчет %1").arg(i)}));
            QCOMPARE(w_->ReportFile(), TempPath(expected[i]));
            // Saved as the template was written (its line ends kept), the
            // second title left as the literal key.
            QCOMPARE(QString::fromUtf8(ReadBytes(w_->ReportFile())),
                     QString("<p>отчет %1</p>\r\n<p>QRLabelTitle</p>\r\n").arg(i));
        }
        QCOMPARE(shown, QStringList(5, "FormWebPrint"));
        QCOMPARE(w_->PrintKeys, QStringList{"QRLabelTitle"});
        QCOMPARE(w_->PrintValues, QStringList{"отчет 4"});
        QVERIFY(w_->CppWebBrowser1->toPlainText().startsWith("отчет 4"));
        QCOMPARE(TP().messages.size(), 0);
    }

    void olderTemplateInWindows1251() {
        const QString tpl =
            WriteText(TestDir() + "/old.html",
                      "<meta charset=\"windows-1251\"><p>\xCE\xD2\xD7\xC5\xD2 QRLabelTitle</p>");
        QVERIFY(w_->PrintTemplate(tpl, {"QRLabelTitle"}, {"Уровни"}));
        const QByteArray saved = ReadBytes(w_->ReportFile());
        QCOMPARE(Cp1251ToString(saved), QString("<meta charset=\"windows-1251\"><p>ОТЧЕТ Уровни</p>"));
        QVERIFY(w_->CppWebBrowser1->toPlainText().contains("ОТЧЕТ Уровни"));
    }

    void refusedReports() {
        const QString tpl = WriteText(TestDir() + "/t.html", "<p>QRLabelTitle</p>");
        // Lists of different lengths: false, no word, no file, no number used.
        QVERIFY(!w_->PrintTemplate(tpl, {"QRLabelTitle", "QRLabelDate"}, {"x"}));
        QCOMPARE(TP().messages.size(), 0);
        QCOMPARE(w_->PrintFileCounter, 0);
        // A missing template: the message, false, nothing written or shown.
        QVERIFY(!w_->PrintTemplate(TestDir() + "/Template/PrintWeb9.html", {"QRLabelTitle"}, {"x"}));
        QCOMPARE(TP().messages.size(), 1);
        QCOMPARE(TP().messages[0].text, QString("Не могу открыть файл шаблона."));
        QCOMPARE(TP().messages[0].caption, QString("Ошибка"));
        QCOMPARE(TP().messages[0].icon, QMessageBox::Critical);
        QCOMPARE(TP().dialogs, 0);
        QCOMPARE(QDir(TempDir).entryList(QDir::Files), QStringList());
        QCOMPARE(w_->PrintFileCounter, 0);
        // A report that cannot be saved is not shown as if it were.
        QDir(TempDir).removeRecursively();
        WriteText(TestDir() + "/Temp", "a file where the directory belongs");
        QVERIFY(!w_->PrintTemplate(tpl, {"QRLabelTitle"}, {"x"}));
        QCOMPARE(TP().messages.size(), 2);
        QVERIFY(TP().messages[1].text.startsWith("Не удалось записать файл отчета"));
        QCOMPARE(TP().dialogs, 0);
        QFile::remove(TestDir() + "/Temp");
    }

    // A chart control 200 x 100 whose picture is 400 x 100: the legend moves
    // to twice its horizontal positions, its vertical ones stay.
    void legendScaledIntoThePicture_data() {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<int>("layout");
        QTest::newRow("left, top") << int(taLeftJustify) << int(tlTop);
        QTest::newRow("centred, vertically centred") << int(taCenter) << int(tlCenter);
        QTest::newRow("right, top") << int(taRightJustify) << int(tlTop);
    }
    void legendScaledIntoThePicture() {
        QFETCH(int, alignment);
        QFETCH(int, layout);
        QWidget owner;
        auto* chart = new TLevelGraph(&owner);
        chart->setGeometry(0, 0, 200, 100);
        auto add = [&](QWidget* c, const QString& name, QRect r) {
            c->setObjectName(name);
            c->setGeometry(r);
            AddComponent(&owner, c);
        };
        auto* label = new TLabel(chart);
        label->SetAutoSize(false);
        label->SetCaption("ab");
        label->Font()->SetColor(clFuchsia);
        label->SetAlignment(TAlignment(alignment));
        label->SetLayout(TTextLayout(layout));
        add(label, "LabelLegend11", QRect(50, 10, 60, 30));
        auto* arrow = new TArrow(chart);
        arrow->SetColor(clLime);
        arrow->SetArrowWidth(3);
        add(arrow, "ArrowLegend11", QRect(20, 40, 30, 14));
        // At the right edge of a control twice the picture's scale the text
        // would run off the picture: it ends inside instead.
        auto* edge = new TLabel(chart);
        edge->SetAutoSize(false);
        edge->SetCaption("Заданная");
        edge->Font()->SetColor(clBlue);
        add(edge, "LabelLegend12", QRect(185, 60, 15, 13));
        // Not drawn: a title without "Legend", a legend label beside the chart.
        auto* title = new TLabel(chart);
        title->SetCaption("TITLE");
        title->Font()->SetColor(clRed);
        add(title, "LabelTitle1", QRect(0, 70, 100, 20));
        auto* beside = new TLabel(&owner);
        beside->SetCaption("beside");
        beside->Font()->SetColor(clRed);
        add(beside, "LabelLegend21", QRect(0, 70, 100, 20));

        QImage& pic = chart->ExportBitmap();
        pic = QImage(400, 100, QImage::Format_RGB32);
        pic.fill(Qt::white);
        DrawChartLegend(chart, &owner);

        // The swatch: a 3-pixel line at y = (40 + 7) x 1 from x = 40 to 100.
        const QColor lime = ColorToQColor(clLime);
        QCOMPARE(LeftmostOf(pic, lime), 39); // the round end reaches a pixel out
        QCOMPARE(pic.pixelColor(41, 47), lime);
        QCOMPARE(pic.pixelColor(99, 47), lime);
        QCOMPARE(pic.pixelColor(70, 46), lime);
        QCOMPARE(pic.pixelColor(70, 50), QColor(Qt::white));
        QVERIFY(pic.pixelColor(105, 47) != lime);
        // The text, placed in the scaled box of 100..220 x 10..40.
        const QFontMetrics fm(label->Font()->ToQFont(), &pic);
        const int tw = fm.horizontalAdvance("ab");
        const int x = alignment == taCenter         ? 100 + (120 - tw) / 2
                      : alignment == taRightJustify ? 100 + 120 - tw - 2
                                                    : 100;
        const QColor fuchsia = ColorToQColor(clFuchsia);
        const int left = LeftmostOf(pic, fuchsia);
        QVERIFY2(left >= x && left <= x + 3,
                 qPrintable(QString("text from %1, expected %2").arg(left).arg(x)));
        const int top = layout == tlCenter ? 10 + (30 - fm.height()) / 2 : 10;
        QCOMPARE(CountColour(pic, fuchsia, QRect(0, 0, 400, top)), 0);
        QVERIFY(CountColour(pic, fuchsia, QRect(0, top, 400, fm.height())) > 10);
        QCOMPARE(CountColour(pic, ColorToQColor(clRed)), 0);
        const int edgeWidth = QFontMetrics(edge->Font()->ToQFont(), &pic).horizontalAdvance("Заданная");
        const QColor blue = ColorToQColor(clBlue);
        const int edgeLeft = LeftmostOf(pic.copy(0, 60, 400, 20), blue);
        QVERIFY2(edgeLeft >= 400 - edgeWidth - 2 && edgeLeft <= 400 - edgeWidth + 1,
                 qPrintable(QString("text from %1, %2 wide").arg(edgeLeft).arg(edgeWidth)));

        // Nothing to draw on: no chart, or a chart without a picture yet.
        DrawChartLegend(nullptr, &owner);
        pic = QImage();
        DrawChartLegend(chart, &owner);
        QVERIFY(pic.isNull());
    }

    // The shipped templates as a shift report: the pictures by absolute path
    // show in the view, and the saved PDF has the template's pages, the texts
    // and the pictures at their own resolution.
    void shippedTemplatesToPdf_data() {
        QTest::addColumn<QString>("templateName");
        QTest::addColumn<int>("pictures");
        QTest::newRow("one chart") << "PrintWeb1.html" << 1;
        QTest::newRow("two charts") << "PrintWeb2.html" << 2;
    }
    void shippedTemplatesToPdf() {
        QFETCH(QString, templateName);
        QFETCH(int, pictures);
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QFAIL("pdftotext, pdfinfo and pdfimages are needed: bash scripts/deps.sh");
        QStringList keys{"QRLabelTitle", "QRLabelDate", "pic1.BMP"};
        QStringList vals{"Графики изменения уровней в сборниках суспензии", "05.03.2026",
                         WritePicture("SL_pic0.bmp", QColor(255, 0, 0))};
        if (pictures == 2) {
            keys = QStringList{"QRLabelTitle", "QRLabelDate", "LabelName1",
                               "LabelName2",   "pic1.BMP",    "pic2.BMP"};
            vals = QStringList{vals[0],
                               vals[1],
                               "Уровень в сборнике КС, %",
                               "Уровень в сборнике НС, %",
                               vals[2],
                               WritePicture("SL_pic1.bmp", QColor(0, 0, 255))};
        }
        w_->resize(1280, 900);
        QVERIFY(w_->PrintTemplate(QString(ORDAL_SOURCE_DIR) + "/templates/" + templateName, keys, vals));
        const QString html = QString::fromUtf8(ReadBytes(w_->ReportFile()));
        for (const QString& v : vals)
            QVERIFY2(html.contains(v), qPrintable(v));
        for (const QString& k : keys)
            QVERIFY2(!html.contains(k), qPrintable(k));

        // The view loads the pictures from their paths.
        QTextDocument* doc = w_->CppWebBrowser1->document();
        doc->setTextWidth(1100);
        QImage view(doc->size().toSize(), QImage::Format_RGB32);
        view.fill(Qt::white);
        {
            QPainter p(&view);
            doc->drawContents(&p);
        }
        QVERIFY(CountColour(view, QColor(255, 0, 0)) >= 1000 * 500);
        QCOMPARE(CountColour(view, QColor(0, 0, 255)) >= 1000 * 500, pictures == 2);

        // Cancelled: nothing. Saved: the name offered is the report's.
        w_->ButSavePdfClick(nullptr);
        QCOMPARE(TP().saveFileOffered, QStringList{TempPath("Type1.pdf")});
        QCOMPARE(QDir(TempDir).entryList({"*.pdf"}), QStringList());
        TP().saveFile = TestDir() + "/report.pdf";
        w_->ButSavePdfClick(nullptr);
        QCOMPARE(TP().messages.size(), 0);
        const QString info = Poppler("pdfinfo", {TP().saveFile});
        QVERIFY2(info.contains(QRegularExpression("Pages: +" + QString::number(pictures) + "\n")),
                 qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression("Page size: +84[12](\\.[0-9]+)? x 595(\\.[0-9]+)? pts")),
                 qPrintable(info));
        const QString text = Poppler("pdftotext", {"-layout", TP().saveFile, "-"});
        const QStringList pages = text.split(QChar('\f'), Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), pictures);
        QVERIFY2(pages[0].contains(vals[0]), qPrintable(text));
        QVERIFY2(pages[0].contains(vals[1]), qPrintable(text));
        if (pictures == 2) {
            QVERIFY2(pages[0].contains(vals[2]), qPrintable(text));
            QVERIFY2(pages[1].contains(vals[3]), qPrintable(text));
        }
        const QStringList images =
            Poppler("pdfimages", {"-list", TP().saveFile}).split('\n', Qt::SkipEmptyParts).mid(2);
        QCOMPARE(images.size(), pictures);
        for (int i = 0; i < pictures; ++i) {
            const QStringList cols = images[i].simplified().split(' ');
            QCOMPARE(cols.value(0), QString::number(i + 1)); // one picture a page
            QCOMPARE(cols.value(3) + "x" + cols.value(4), QString("1000x500"));
        }
    }

    // The print and preview commands lay the report out page by page as the
    // PDF does; a cancelled print dialog prints nothing.
    void printAndPreview() {
        const QStringList keys{"QRLabelTitle", "QRLabelDate", "LabelName1",
                               "LabelName2",   "pic1.BMP",    "pic2.BMP"};
        const QStringList vals{"Отчет",
                               "05.03.2026",
                               "КС",
                               "НС",
                               WritePicture("SL_pic0.bmp", Qt::red),
                               WritePicture("SL_pic1.bmp", Qt::blue)};
        QVERIFY(w_->PrintTemplate(QString(ORDAL_SOURCE_DIR) + "/templates/PrintWeb2.html", keys, vals));
        const QString printed = TestDir() + "/printed.pdf";
        QStringList dialogs;
        int previewPages = -1;
        TP().dialogHandler = [&](QDialog& d) {
            dialogs << d.objectName();
            if (auto* print = qobject_cast<QPrintDialog*>(&d)) {
                if (dialogs.size() == 1)
                    return int(QDialog::Rejected);
                print->printer()->setOutputFileName(printed);
                return int(QDialog::Accepted);
            }
            if (auto* preview = d.findChild<QPrintPreviewWidget*>()) {
                preview->updatePreview();
                previewPages = preview->pageCount();
            }
            return int(QDialog::Rejected);
        };
        w_->ButPrintClick(nullptr);
        QVERIFY(!QFile::exists(printed));
        w_->ButPrintClick(nullptr);
        QCOMPARE(TP().messages.size(), 0);
        QVERIFY(ReadBytes(printed).startsWith("%PDF-"));
        QVERIFY(Poppler("pdfinfo", {printed}).contains(QRegularExpression("Pages: +2\n")));
        w_->ButPreviewClick(nullptr);
        QCOMPARE(previewPages, 2);
        QCOMPARE(dialogs, (QStringList{"PrintDialog", "PrintDialog", "PrintPreview"}));
        // The page set up is the one every command uses: A4 landscape first.
        QCOMPARE(w_->Printer().pageLayout().orientation(), QPageLayout::Landscape);
        QCOMPARE(w_->Printer().pageLayout().pageSize().id(), QPageSize::A4);
    }

    void pdfThatCannotBeWritten() {
        const QString tpl = WriteText(TestDir() + "/t.html", "<p>QRLabelTitle</p>");
        QVERIFY(w_->PrintTemplate(tpl, {"QRLabelTitle"}, {"x"}));
        const QString older = WriteText(TestDir() + "/older.pdf", "older");
        TP().saveFile = TestDir() + "/no/such/dir/report.pdf";
        w_->ButSavePdfClick(nullptr);
        QCOMPARE(TP().messages.size(), 1);
        QVERIFY(TP().messages[0].text.startsWith("Не удалось сохранить файл"));
        QVERIFY(!QFile::exists(TP().saveFile));
        // A file that is there is replaced.
        TP().saveFile = older;
        w_->ButSavePdfClick(nullptr);
        QVERIFY(ReadBytes(older).startsWith("%PDF-"));
    }
};

ORDAL_TEST_MAIN(TstWebprint)
#include "tst_webprint.moc"
