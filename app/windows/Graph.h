#pragma once
// The framework of the three trend windows: charts of one shift's (or one
// shift day's) history from pu_data, kept current while the period runs, with
// the period choice, the zoom of one chart, cursors kept in step, the scale
// limits in the window's own file, the legend arrows as the curves' pens, the
// editors of the set-up mode and the CSV export of the loaded rows.
//
// A window is a layout file (its charts, labels, controls and pop-up menu) and
// a small unit that derives from TFormGraphBase: it names its charts, zoom
// buttons and columns in a TTrendWindowTraits and gives its own layout on resize,
// its normal two-chart layout and its legend pens.

#include "AppContext.h"
#include "Controls.h"
#include "GraphData.h"
#include "Layout.h"
#include "Levelgraph.h"

#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

class TArrow;

// What one trend window is made of.
struct TTrendWindowTraits {
    QString layoutFile;         // ":/layouts/FormGraphHardParams.layout"
    QStringList charts;         // the order every loop over the charts uses
    QStringList zoomButtons;    // parallel to charts; may be shorter (none)
    QList<TTrendSeries> series; // pu_data columns -> charts
    QStringList exportFields;   // the columns of the CSV export, after the moment
    QStringList exportHeaders;  // its header line, the moment's included
    QString exportName;         // first part of the suggested file name
    QString printTemplate;      // the report template in TemplateDir
    QString picturePrefix;      // chart k's picture: TempDir/<prefix>k.bmp
    QStringList printCaptions;  // labels whose captions fill LabelName1, LabelName2, ...
};

class TFormGraphBase : public QWidget {
    Q_OBJECT
    Q_PROPERTY(TColor Color READ GetColor WRITE SetColor)
public:
    ~TFormGraphBase() override;

    TColor GetColor() const { return color_; }
    void SetColor(TColor value);

    // Components every trend window has.
    TPanel* PanelTop = nullptr;
    TLabel* LabelTop = nullptr;
    TDateTimePicker* DateTimePicker1 = nullptr;
    TComboBox* ComboBox1 = nullptr;
    TButton* ButReload = nullptr;
    TPanel* WaitPanel = nullptr;
    QTimer* TimerUpdate = nullptr;
    std::unique_ptr<TSQLClientDataSet> SQLClientDataSet1;

    // Window state.
    QString ConfigFile;
    QList<TLevelGraph*> Charts;
    QList<TSpeedButton*> ZoomButtons;
    QList<bool> ChartZoomed;
    int ShiftNumber = 3;
    TDateTime ShiftDate = 0;
    TDateTime PeriodStart = 0;
    TDateTime PeriodStop = 0;
    TDateTime LastMoment = 0;
    bool NeedReload = true;
    bool TimerBusy = false;
    bool LoadBusy = false;
    int TickCount = 0;

    // The rows of the loaded period, for the CSV export.
    const TTrendRows& LoadedRows() const { return rows_; }
    const TTrendWindowTraits& Traits() const { return traits_; }
    const TLayout& Layout() const { return layout_; }

    // The operator's period (date and shift) loaded anew.
    void Reload();
    // The charts of a shift from rows read elsewhere (RecMoment and the
    // window's columns, oldest first), without asking the database: a report
    // draws a shift off screen this way. Throws EDatabaseError when a column
    // is missing.
    void ShowRecords(TDateTime day, int shift, const TResultTable& rows);
    // The rows recorded since the last load, appended.
    void CheckForUpdates();
    void TimerUpdateTimer();
    void FormCreate();
    virtual void FormResize();
    // The window's normal layout of its charts; the main window's action runs
    // it after bringing the window forward, and printing before it draws.
    virtual void ShowAllCharts() {}
    void ZoomChart(int ix);
    // The first chart takes the keyboard, so the arrow keys step the cursor.
    void FocusFirstChart();
    void InverseZoom(int ix);
    virtual void SetLegendPens() = 0;
    // Binds the editors of the set-up mode (or removes them) and loads the looks.
    void SetupChartElements();
    void LoadLimits();
    void SaveLimits();
    // The report of the charts: each chart's picture into TempDir, then the
    // window's template filled with the title, the day, the chart captions and
    // the pictures, shown by the report printer.
    void PrintCharts();
    // The day a report names: the one last loaded (the picker's before any load).
    TDateTime ReportDate() const;
    // Writes the loaded rows to a file the operator chooses.
    void ExportCsv();

    void EditElementClick(QObject* sender);
    void OnLevelGraphMouseDown(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                               int y);

public Q_SLOTS:
    // Bound by name from the layouts.
    void ButReloadClick(QObject* sender);
    void OnCursorMove(QObject* sender);
    void OnGraphZoomClick(QObject* sender);
    void CmdExportCsvClick(QObject* sender);

protected:
    TFormGraphBase(TAppContext& context, QWidget* parent);
    TAppContext& Context() const { return context_; }
    // Loads the layout and binds the framework's components; the derived
    // constructor calls it (the layout names the derived class).
    void Build(TTrendWindowTraits traits);

    // Marks a window's own layout pass (ShowAllCharts lets the user interface
    // process pending messages): the load that a first showing starts waits
    // for its end instead of running inside it.
    class TLayoutPass {
    public:
        explicit TLayoutPass(TFormGraphBase* window) : window_(window) { ++window_->layingOut_; }
        ~TLayoutPass() { --window_->layingOut_; }
        TLayoutPass(const TLayoutPass&) = delete;
        TLayoutPass& operator=(const TLayoutPass&) = delete;

    private:
        TFormGraphBase* window_;
    };

    // The legend arrows of chart k (1, 2, ...) as its curves' pens: arrow
    // "ArrowLegend" + k + n gives channel n - 1 the pen with its width and
    // colour, for n = 1 ... 5 up to the first arrow that is missing.
    void PensFromLegendArrows(int k, TLevelGraph* chart, TPen& pen);
    // The shared part of the resize rules: every chart the given height, the
    // zoom buttons at the right edge, the wait panel centred.
    void ResizeCharts(int divisor);

    // "Ошибка в TFormGraphHardParams::Reload()" and the like.
    QString ErrorText(const QString& operation) const;

    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Rows into the charts and the kept rows.
    void LoadRecords(const TResultTable& table);
    // The charts reset to the period of ShiftDate and ShiftNumber.
    void ResetCharts();
    // The end of a load the window asked for: its rows, or why there are none.
    void ReloadAnswered(const EDatabaseError* error, bool byOperator);
    void ReloadFailed(const QString& text, bool byOperator);
    bool Connected() const;
    void FinishCharts();
    void SetWaitPanel(bool visible);
    void LoadWhenShown();
    void Bind(QWidget* element);

    TAppContext& context_;
    TTrendWindowTraits traits_;
    TLayout layout_;
    TTrendRows rows_;
    TColor color_ = clBtnFace;
    bool shown_ = false;
    bool operatorLoad_ = false;
    // A print asked for while a load ran: it runs once the load has ended.
    bool printAfterLoad_ = false;
    void PrintWhenLoaded();
    int layingOut_ = 0;
    // The shift day the window put into its picker itself (see PickCurrentShiftDay).
    std::optional<TDateTime> pickedDay_;
};
