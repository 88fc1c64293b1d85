#pragma once
// Report printing: the trend windows draw their charts into picture files and
// hand a template name with placeholder keys and values to the print window
// TFormWebPrint. It fills the template, saves the report in the temporary
// directory, shows it, and prints it, sets up the page, previews it or saves
// it as PDF.
//
// The report is HTML that Qt's rich-text document shows and paginates; a
// template marks its own pages with "page-break-before: always". Printing lays
// the document out on the page's paintable area (never narrower than its
// widest element, so a picture is never cut) and draws it page by page, the
// pictures at their own resolution.

#include "Layout.h"
#include "Stdcontrols.h"

#include <QDialog>
#include <QStringList>
#include <QTextBrowser>
#include <memory>

class QPagedPaintDevice;
class QPrinter;
class QTextDocument;
class TLabel;
class TLevelGraph;
class TPanel;

// The embedded report view (CppWebBrowser1): shows a local HTML report with
// its pictures; links are not followed.
class TCppWebBrowser : public QTextBrowser, public TStdControl {
    Q_OBJECT
    ORDAL_STD_CONTROL_PROPERTIES
public:
    explicit TCppWebBrowser(QWidget* owner = nullptr);
};

class TFormWebPrint : public QDialog {
    Q_OBJECT
public:
    explicit TFormWebPrint(QWidget* parent = nullptr);
    ~TFormWebPrint() override;

    // The current report.
    QStringList PrintKeys;
    QStringList PrintValues;
    QStringList PrintPage;
    int PrintFileCounter = 0;

    TPanel* PanelTop;
    TButton *ButPrint, *ButPageSetup, *ButPreview, *ButSavePdf, *ButClose;
    TCppWebBrowser* CppWebBrowser1;

    // Fills the template with the values of the keys, saves the report as
    // TempDir/TypeN.html, shows it modally and returns true when the window is
    // closed. False without a word when the lists differ in length; false
    // after a message when the template cannot be read or the report not saved.
    bool PrintTemplate(const QString& templatePath, const QStringList& keys, const QStringList& values);

    // The report file shown last (empty before the first).
    const QString& ReportFile() const { return reportFile_; }
    // Draws the shown report on a printer or PDF writer page by page; false
    // when the device could not be painted on.
    bool PrintReport(QPagedPaintDevice& device) const;
    // The printer of the print, page setup and preview commands (A4 landscape
    // until the operator sets up another page).
    QPrinter& Printer();

    const TLayout& Layout() const { return layout_; }

public Q_SLOTS:
    void ButPrintClick(QObject* sender);
    void ButPageSetupClick(QObject* sender);
    void ButPreviewClick(QObject* sender);
    // Writes the shown report as a PDF file the operator names.
    void ButSavePdfClick(QObject* sender);

private:
    TLayout layout_;
    std::unique_ptr<QPrinter> printer_;
    QString reportFile_;
    int reportNumber_ = 0;
    bool templateCp1251_ = false;
};

extern TFormWebPrint* FormWebPrint;
// FormWebPrint, made (owned by the main window) when it is not there yet.
TFormWebPrint* WebPrintWindow();

// The template text with the first occurrence of each key, in key order,
// replaced by its value; later keys are searched in the text as already
// changed. Keys are case-sensitive; a missing or empty key is skipped and a
// value is taken as it is (never escaped).
QString FillTemplate(QString page, const QStringList& keys, const QStringList& values);
// dir + a separator (only when dir does not end with one) + name.
QString PathIn(const QString& dir, const QString& name);

// Paints the legend labels and legend arrows of owner that lie on chart (their
// names contain "Legend") into the chart's exported picture, positions and
// lengths scaled from the control to the picture, the text in the label's own
// font and never past the picture's right edge.
void DrawChartLegend(TLevelGraph* chart, QObject* owner);
// The chart at 1000 x 500 for print, its legend drawn in, saved as a Windows
// bitmap file. False with the reason when the file could not be written.
bool SaveChartPicture(TLevelGraph* chart, QObject* owner, const QString& path, QString* error);
