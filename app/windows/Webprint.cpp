#include "Webprint.h"

#include "Arrow.h"
#include "Controls.h"
#include "Cp1251.h"
#include "Global.h"
#include "Levelgraph.h"
#include "Log.h"
#include "Platform.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QScreen>
#include <QStringDecoder>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

ORDAL_REGISTER_CLASS(TCppWebBrowser)

TFormWebPrint* FormWebPrint = nullptr;

namespace {

const char* const kLayoutFile = ":/layouts/FormWebPrint.layout";

// The size of a chart picture in a report.
constexpr int kPictureWidth = 1000;
constexpr int kPictureHeight = 500;

bool IsClass(const QObject* o, const char* name) {
    return qstrcmp(o->metaObject()->className(), name) == 0;
}

// Text widths and the pixel sizes of a report are those of the screen: a
// point-sized font takes as many pixels on the page as it does in the view.
double ScreenDpi() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s && s->logicalDotsPerInchY() > 0 ? s->logicalDotsPerInchY() : 96.0;
}

} // namespace

// ---------------------------------------------------------------------------
// Filling

QString PathIn(const QString& dir, const QString& name) {
    if (dir.endsWith(QLatin1Char('/')) || dir.endsWith(QLatin1Char('\\')))
        return dir + name;
    return dir + QLatin1Char('/') + name;
}

QString FillTemplate(QString page, const QStringList& keys, const QStringList& values) {
    for (qsizetype i = 0; i < keys.size() && i < values.size(); ++i) {
        if (keys[i].isEmpty())
            continue;
        const qsizetype at = page.indexOf(keys[i], 0, Qt::CaseSensitive);
        if (at >= 0)
            page.replace(at, keys[i].size(), values[i]);
    }
    return page;
}

// ---------------------------------------------------------------------------
// Chart pictures

void DrawChartLegend(TLevelGraph* chart, QObject* owner) {
    if (!chart || !owner)
        return;
    QImage& picture = chart->ExportBitmap();
    if (picture.isNull() || chart->width() < 1 || chart->height() < 1)
        return;
    // In the picture's own units (a print picture has more pixels per unit).
    const QSizeF size = picture.deviceIndependentSize();
    const double kx = size.width() / chart->width();
    const double ky = size.height() / chart->height();
    QPainter canvas(&picture);
    for (QObject* c : Components(owner)) {
        if (!c->objectName().contains(QLatin1String("Legend")) || c->parent() != chart)
            continue;
        if (IsClass(c, "TLabel")) {
            const auto* label = static_cast<const TLabel*>(c);
            const QFont font = label->Font()->ToQFont();
            const QFontMetrics fm(font, &picture);
            const QString text = label->GetCaption();
            const int tw = fm.horizontalAdvance(text);
            const int th = fm.height();
            double x = label->x() * kx;
            if (label->GetAlignment() == taCenter)
                x += (label->width() * kx - tw) / 2;
            else if (label->GetAlignment() == taRightJustify)
                x += label->width() * kx - tw - 2;
            // The font keeps its size while the positions scale: on a chart
            // wider than the picture a legend at the right edge would run off
            // it, so the text ends inside the picture.
            x = std::min(x, size.width() - tw - 2);
            double y = label->y() * ky;
            if (label->GetLayout() == tlCenter)
                y += (label->height() * ky - th) / 2;
            canvas.setFont(font);
            canvas.setPen(label->Font()->ToQColor());
            canvas.drawText(int(x), int(y) + fm.ascent(), text);
        } else if (IsClass(c, "TArrow")) {
            const auto* arrow = static_cast<const TArrow*>(c);
            // The canvas pen of the program: a wide line has round ends.
            TPen pen;
            pen.SetColor(arrow->GetColor());
            pen.SetWidth(arrow->GetArrowWidth());
            canvas.setPen(pen.ToQPen());
            const int y = int((arrow->y() + arrow->height() * 0.5) * ky);
            const int x = int(arrow->x() * kx);
            canvas.drawLine(x, y, int(x + arrow->width() * kx), y);
        }
    }
}

bool SaveChartPicture(TLevelGraph* chart, QObject* owner, const QString& path, QString* error) {
    if (!chart->ExportImage(kPictureWidth, kPictureHeight, true)) {
        if (error)
            *error = QStringLiteral("график не нарисован");
        return false;
    }
    DrawChartLegend(chart, owner);
    // A classic 24-bit bitmap, which every viewer reads.
    const QImage picture = chart->ExportBitmap().convertToFormat(QImage::Format_RGB888);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && picture.save(&file, "BMP") && file.commit())
        return true;
    if (error)
        *error = file.errorString().isEmpty() ? QStringLiteral("запись не удалась") : file.errorString();
    return false;
}

// ---------------------------------------------------------------------------
// The report view

TCppWebBrowser::TCppWebBrowser(QWidget* owner) : QTextBrowser(owner), TStdControl(this) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    // A report is a document of its own, not in the window's bold navy type.
    QFont f(QStringLiteral("Times New Roman"));
    f.setPointSize(12);
    setFont(f);
    document()->setDefaultFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Base, Qt::white);
    setPalette(pal);
}

// ---------------------------------------------------------------------------
// The print window

TFormWebPrint::TFormWebPrint(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FormWebPrint"));
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ColorToQColor(clNavy));
    pal.setColor(QPalette::ButtonText, ColorToQColor(clNavy));
    setPalette(pal);

    layout_ = LoadLayout(this, QString::fromLatin1(kLayoutFile));
    PanelTop = layout_.Get<TPanel>(QStringLiteral("PanelTop"));
    ButPrint = layout_.Get<TButton>(QStringLiteral("ButPrint"));
    ButPageSetup = layout_.Get<TButton>(QStringLiteral("ButPageSetup"));
    ButPreview = layout_.Get<TButton>(QStringLiteral("ButPreview"));
    ButSavePdf = layout_.Get<TButton>(QStringLiteral("ButSavePdf"));
    ButClose = layout_.Get<TButton>(QStringLiteral("ButClose"));
    CppWebBrowser1 = layout_.Get<TCppWebBrowser>(QStringLiteral("CppWebBrowser1"));
}

TFormWebPrint::~TFormWebPrint() {
    if (FormWebPrint == this)
        FormWebPrint = nullptr;
}

TFormWebPrint* WebPrintWindow() {
    // Made at start-up with the other windows; one made later (a window used
    // on its own) has no owner.
    if (!FormWebPrint)
        FormWebPrint = new TFormWebPrint(nullptr);
    return FormWebPrint;
}

bool TFormWebPrint::PrintTemplate(const QString& templatePath, const QStringList& keys,
                                  const QStringList& values) {
    if (keys.size() != values.size())
        return false;
    QFile file(templatePath);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcOrdal) << "report template" << templatePath << "not read:" << file.errorString();
        ShowError(QStringLiteral("Не могу открыть файл шаблона."));
        return false;
    }
    const QByteArray bytes = file.readAll();
    // Templates of an older installation are in Windows-1251; the report
    // keeps the template's encoding, so that its own charset line stays true.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    templateCp1251_ = utf8.hasError();
    if (templateCp1251_)
        text = Cp1251ToString(bytes);
    const QString eol = text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));

    PrintKeys.clear();
    PrintValues.clear();
    PrintPage.clear();
    PrintPage = text.split(QLatin1Char('\n'));
    PrintKeys = keys;
    PrintValues = values;
    PrintPage =
        FillTemplate(PrintPage.join(QLatin1Char('\n')), PrintKeys, PrintValues).split(QLatin1Char('\n'));

    const int n = PrintFileCounter;
    PrintFileCounter = n > 2 ? 0 : n + 1;
    reportNumber_ = PrintFileCounter;
    reportFile_ = PathIn(TempDir, QStringLiteral("Type%1.html").arg(reportNumber_));

    const QString page = PrintPage.join(eol);
    const QByteArray out = templateCp1251_ ? StringToCp1251Lossy(page) : page.toUtf8();
    QSaveFile report(reportFile_);
    if (!report.open(QIODevice::WriteOnly) || report.write(out) != out.size() || !report.commit()) {
        qCWarning(lcOrdal) << "report" << reportFile_ << "not written:" << report.errorString();
        ShowError(QStringLiteral("Не удалось записать файл отчета %1: %2")
                      .arg(QDir::toNativeSeparators(reportFile_), report.errorString()));
        return false;
    }

    // The view shows the text just saved; relative sources resolve beside the
    // file, as a browser opening it would resolve them. The base goes first:
    // the pictures are loaded while the text is laid out.
    QTextDocument* doc = CppWebBrowser1->document();
    doc->setBaseUrl(QUrl::fromLocalFile(reportFile_));
    CppWebBrowser1->setHtml(PrintPage.join(QLatin1Char('\n')));
    doc->setBaseUrl(QUrl::fromLocalFile(reportFile_));
    doc->setMetaInformation(QTextDocument::DocumentUrl, QUrl::fromLocalFile(reportFile_).toString());
    // Without a window manager (a kiosk session) nobody maximises for us.
    if (const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    Plat().ExecDialog(*this);
    return true;
}

QPrinter& TFormWebPrint::Printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                            QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
        printer_->setDocName(windowTitle());
    }
    return *printer_;
}

bool TFormWebPrint::PrintReport(QPagedPaintDevice& device) const {
    // Laid out anew for the page: the view's document flows to the window.
    const std::unique_ptr<QTextDocument> doc(CppWebBrowser1->document()->clone());
    const QRectF paint = device.pageLayout().paintRect(QPageLayout::Inch);
    if (paint.isEmpty() || device.width() < 1)
        return false;
    const double dpi = ScreenDpi();
    QSizeF page(paint.width() * dpi, paint.height() * dpi);
    doc->setPageSize(page);
    // A page narrower than the widest picture is laid out wider and drawn
    // smaller, so that nothing is cut off at the right edge.
    const double wide = doc->documentLayout()->documentSize().width();
    if (wide > page.width() + 0.5) {
        page *= wide / page.width();
        doc->setPageSize(page);
    }
    QPainter p;
    if (!p.begin(&device))
        return false;
    const double scale = device.width() / page.width();
    const int pages = doc->pageCount();
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !device.newPage())
            return false;
        const QRectF view(0, i * page.height(), page.width(), page.height());
        p.save();
        p.scale(scale, scale);
        p.translate(0, -view.top());
        p.setClipRect(view);
        context.clip = view;
        doc->documentLayout()->draw(&p, context);
        p.restore();
    }
    return p.end();
}

void TFormWebPrint::ButPrintClick(QObject*) {
    QPrintDialog dialog(&Printer(), this);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    if (Plat().ExecDialog(dialog) != QDialog::Accepted)
        return;
    if (!PrintReport(Printer()))
        ShowError(QStringLiteral("Не удалось напечатать отчет: принтер недоступен."));
}

void TFormWebPrint::ButPageSetupClick(QObject*) {
    QPageSetupDialog dialog(&Printer(), this);
    dialog.setObjectName(QStringLiteral("PageSetupDialog"));
    Plat().ExecDialog(dialog);
}

void TFormWebPrint::ButPreviewClick(QObject*) {
    QPrintPreviewDialog dialog(&Printer(), this);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    dialog.setWindowTitle(windowTitle());
    dialog.resize(size());
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) {
        if (!PrintReport(*printer))
            qCWarning(lcOrdal) << "report preview not drawn";
    });
    Plat().ExecDialog(dialog);
}

void TFormWebPrint::ButSavePdfClick(QObject*) {
    const QString suggested = PathIn(TempDir, QStringLiteral("Type%1.pdf").arg(reportNumber_));
    const QString path = Plat().ChooseSaveFile(this, QStringLiteral("Сохранить PDF"), suggested,
                                               QStringLiteral("Документы PDF (*.pdf);;Все файлы (*)"));
    if (path.isEmpty())
        return;
    // Written beside and put in place whole: a failed write keeps an older file.
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        QPdfWriter pdf(&file);
        pdf.setPageLayout(Printer().pageLayout());
        pdf.setCreator(QStringLiteral("ОРДАЛ-М"));
        const qsizetype title = PrintKeys.indexOf(QStringLiteral("QRLabelTitle"));
        pdf.setTitle(title >= 0 ? PrintValues.value(title) : windowTitle());
        ok = PrintReport(pdf);
    }
    if (ok && file.commit())
        return;
    qCWarning(lcOrdal) << "PDF" << path << "not written:" << file.errorString();
    ShowError(QStringLiteral("Не удалось сохранить файл %1: %2")
                  .arg(QDir::toNativeSeparators(path), file.errorString().isEmpty()
                                                           ? QStringLiteral("запись не удалась")
                                                           : file.errorString()));
}
