#pragma once
// TLevelGraph: the trend chart. Up to 16 curves over a fixed time interval on a
// common value axis, with the time axis below, the value scale on the left (and
// optionally a second one on the right), a cursor line that the operator moves
// with the mouse or the arrow keys, optional marker ticks and two limit lines.
//
// The data live in a TLevelGraphStore (fixed cells per time step); the geometry
// and the automatic scale are the pure functions of LevelgraphScale.h. This class
// adds the published properties, the painting and the input.

#include "ElementBase.h"
#include "LevelgraphScale.h"
#include "LevelgraphStore.h"
#include "Stdcontrols.h"

#include <QImage>
#include <QPointer>
#include <array>
#include <functional>

class QKeyEvent;

// OnMouseDown of the chart: sender, button, modifiers, x, y.
using TMouseDownEvent =
    std::function<void(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>;
// OnKeyDown of the chart for the keys it does not use itself.
using TKeyDownEvent = std::function<void(QObject* sender, QKeyEvent* key)>;

class TLevelGraph : public TPanelElement {
    Q_OBJECT
    // In the order a layout streams them.
    Q_PROPERTY(TPen* BorderPen READ GetBorderPen WRITE SetBorderPen)
    Q_PROPERTY(TColor BackColor READ GetBackColor WRITE SetBackColor)
    Q_PROPERTY(TColor GraphBackColor READ GetGraphBackColor WRITE SetGraphBackColor)
    Q_PROPERTY(int GraphTop READ GetGraphTop WRITE SetGraphTop)
    Q_PROPERTY(int GraphLeft READ GetGraphLeft WRITE SetGraphLeft)
    Q_PROPERTY(int GraphSubWidth READ GetGraphSubWidth WRITE SetGraphSubWidth)
    Q_PROPERTY(int GraphSubHeight READ GetGraphSubHeight WRITE SetGraphSubHeight)
    Q_PROPERTY(int GraphCount READ GetGraphCount WRITE SetGraphCount)
    Q_PROPERTY(bool ShowScaleY READ GetShowScaleY WRITE SetShowScaleY)
    Q_PROPERTY(bool ShowScaleX READ GetShowScaleX WRITE SetShowScaleX)
    Q_PROPERTY(double YMax READ GetYMax WRITE SetYMax)
    Q_PROPERTY(double YMin READ GetYMin WRITE SetYMin)
    Q_PROPERTY(QString AddYScaleStr READ GetAddYScaleStr WRITE SetAddYScaleStr)
    Q_PROPERTY(QString AddXScaleStr READ GetAddXScaleStr WRITE SetAddXScaleStr)
    Q_PROPERTY(bool ShowCursor READ GetShowCursor WRITE SetShowCursor)
    Q_PROPERTY(bool ShowBorder READ GetShowBorder WRITE SetShowBorder)
    Q_PROPERTY(TPen* CursorPen READ GetCursorPen WRITE SetCursorPen)
    Q_PROPERTY(bool Transparent READ GetTransparent WRITE SetTransparent)
    Q_PROPERTY(bool EnablePresentArray READ GetEnablePresentArray WRITE SetEnablePresentArray)
    Q_PROPERTY(int CurrentGraph READ GetCurrentGraph WRITE SetCurrentGraph)
    Q_PROPERTY(TPen* GraphPen READ GetGraphPenCurrent WRITE SetGraphPenCurrent)
    Q_PROPERTY(bool AutoYMax READ GetAutoYMax WRITE SetAutoYMax)
    Q_PROPERTY(bool AutoYMin READ GetAutoYMin WRITE SetAutoYMin)
    Q_PROPERTY(double StartTime READ GetStartTime WRITE SetStartTime)
    Q_PROPERTY(double StopTime READ GetStopTime WRITE SetStopTime)
    Q_PROPERTY(double CursorTime READ GetCursorTime WRITE SetCursorTime)
    Q_PROPERTY(int CursorPosition READ GetCursorPosition WRITE SetCursorPosition)
    Q_PROPERTY(TVelmarCursorType CursorType READ GetCursorType WRITE SetCursorType)
    Q_PROPERTY(double CursorY READ GetCursorY WRITE SetCursorY)
    Q_PROPERTY(double DataStep READ GetDataStep WRITE SetDataStep)
    Q_PROPERTY(int ArraySize READ GetArraySize WRITE SetArraySize)
    Q_PROPERTY(QString IniName READ GetIniName WRITE SetIniName)
    Q_PROPERTY(double YLabelStep READ GetYLabelStep WRITE SetYLabelStep)
    Q_PROPERTY(bool MinYLabel READ GetMinYLabel WRITE SetMinYLabel)
    Q_PROPERTY(bool MaxYLabel READ GetMaxYLabel WRITE SetMaxYLabel)
    Q_PROPERTY(double XLabelStep READ GetXLabelStep WRITE SetXLabelStep)
    Q_PROPERTY(bool MinXLabel READ GetMinXLabel WRITE SetMinXLabel)
    Q_PROPERTY(bool MaxXLabel READ GetMaxXLabel WRITE SetMaxXLabel)
    Q_PROPERTY(bool ShowLabelNet READ GetShowLabelNet WRITE SetShowLabelNet)
    Q_PROPERTY(TPen* LabelNetPen READ GetLabelNetPen WRITE SetLabelNetPen)
    Q_PROPERTY(double SecondNetStepX READ GetSecondNetStepX WRITE SetSecondNetStepX)
    Q_PROPERTY(double SecondNetStepY READ GetSecondNetStepY WRITE SetSecondNetStepY)
    Q_PROPERTY(TPen* SecondNetPen READ GetSecondNetPen WRITE SetSecondNetPen)
    Q_PROPERTY(bool ShowSecondNet READ GetShowSecondNet WRITE SetShowSecondNet)
    Q_PROPERTY(double NewStartTime READ GetNewStartTime WRITE SetNewStartTime)
    Q_PROPERTY(double NewStopTime READ GetNewStopTime WRITE SetNewStopTime)
    Q_PROPERTY(double NewCursorTime READ GetNewCursorTime WRITE SetNewCursorTime)
    Q_PROPERTY(bool NewIntervalAccepted READ GetNewIntervalAccepted WRITE SetNewIntervalAccepted)
    Q_PROPERTY(TFont* XScaleFont READ GetXScaleFont WRITE SetXScaleFont)
    Q_PROPERTY(TFont* YScaleFont READ GetYScaleFont WRITE SetYScaleFont)
    Q_PROPERTY(double SecondStep READ GetSecondStep WRITE SetSecondStep)
    Q_PROPERTY(int IntervalSize READ GetIntervalSize WRITE SetIntervalSize STORED false)
    Q_PROPERTY(int IntervalPointCount READ GetIntervalPointCount WRITE SetIntervalPointCount STORED false)
    Q_PROPERTY(double DetectedYMin READ GetDetectedYMin WRITE SetDetectedYMin STORED false)
    Q_PROPERTY(double DetectedYMax READ GetDetectedYMax WRITE SetDetectedYMax STORED false)
    Q_PROPERTY(QString ScaleXFormat READ GetScaleXFormat WRITE SetScaleXFormat)
    Q_PROPERTY(QString ScaleYFormat READ GetScaleYFormat WRITE SetScaleYFormat)
    Q_PROPERTY(bool DemoData READ GetDemoData WRITE SetDemoData)
    Q_PROPERTY(bool MultiScaleMode READ GetMultiScaleMode WRITE SetMultiScaleMode)
    Q_PROPERTY(bool AutoRecalcScaleK READ GetAutoRecalcScaleK WRITE SetAutoRecalcScaleK)
    Q_PROPERTY(bool AutoYScale READ GetAutoYScale WRITE SetAutoYScale)
    Q_PROPERTY(bool AutoYScaleFormat READ GetAutoYScaleFormat WRITE SetAutoYScaleFormat)
    Q_PROPERTY(bool AutoXScaleFormat READ GetAutoXScaleFormat WRITE SetAutoXScaleFormat)
    Q_PROPERTY(bool PositiveY READ GetPositiveY WRITE SetPositiveY)
    Q_PROPERTY(double WinLeftLimit READ GetWinLeftLimit WRITE SetWinLeftLimit)
    Q_PROPERTY(double WinRightLimit READ GetWinRightLimit WRITE SetWinRightLimit)
    Q_PROPERTY(bool WinLeftLimitOK READ GetWinLeftLimitOK WRITE SetWinLeftLimitOK)
    Q_PROPERTY(bool WinRightLimitOK READ GetWinRightLimitOK WRITE SetWinRightLimitOK)
    Q_PROPERTY(TPen* WinLimitsPen READ GetWinLimitsPen WRITE SetWinLimitsPen)
    Q_PROPERTY(TColor AlarmColor READ GetAlarmColor WRITE SetAlarmColor)
    Q_PROPERTY(int BestNetLineCount READ GetBestNetLineCount WRITE SetBestNetLineCount)
    Q_PROPERTY(bool ShowRightScale READ GetShowRightScale WRITE SetShowRightScale)
    Q_PROPERTY(double RightYMin READ GetRightYMin WRITE SetRightYMin)
    Q_PROPERTY(double RightYMax READ GetRightYMax WRITE SetRightYMax)
    Q_PROPERTY(double RightScaleStep READ GetRightScaleStep WRITE SetRightScaleStep)
    Q_PROPERTY(TFont* LegendFont READ GetLegendFont WRITE SetLegendFont)
    Q_PROPERTY(TStringList* LegendStrings READ GetLegendStrings WRITE SetLegendStrings)
    Q_PROPERTY(bool ShowLegend READ GetShowLegend WRITE SetShowLegend)
    Q_PROPERTY(double MinDeltaY READ GetMinDeltaY WRITE SetMinDeltaY)
    Q_PROPERTY(int MarkerCount READ GetMarkerCount WRITE SetMarkerCount)
    Q_PROPERTY(int MarkerIx READ GetMarkerIx WRITE SetMarkerIx)
    Q_PROPERTY(int MarkerWidth READ GetMarkerWidth WRITE SetMarkerWidth)
    Q_PROPERTY(int MarkerHeight READ GetMarkerHeight WRITE SetMarkerHeight)
    Q_PROPERTY(TColor MarkerColor READ GetMarkerColor WRITE SetMarkerColor)
    Q_PROPERTY(bool HistogramGraph READ GetHistogramGraph WRITE SetHistogramGraph)
    Q_PROPERTY(bool AverageMode READ GetAverageMode WRITE SetAverageMode)
    Q_PROPERTY(bool TabStop READ GetTabStop WRITE SetTabStop)
    Q_PROPERTY(TPopupMenu* PopupMenu READ GetPopupMenu WRITE SetPopupMenu)

public:
    // Stored for the layouts only: the cursor is always a vertical line.
    enum TVelmarCursorType { vm_cursor_VLine, vm_cursor_BigCross, vm_cursor_Cross };
    Q_ENUM(TVelmarCursorType)

    static constexpr int kChannels = TLevelGraphStore::kChannels;
    static constexpr int kSteps = TLevelGraphStore::kSteps;

    explicit TLevelGraph(QWidget* owner = nullptr);
    ~TLevelGraph() override;

    // --- properties ------------------------------------------------------------
    TPen* GetBorderPen() const { return borderPen_; }
    void SetBorderPen(const TPen* pen) { AssignPen(borderPen_, pen); }
    TColor GetBackColor() const { return backColor_; }
    void SetBackColor(TColor v) { Store(backColor_, v); }
    TColor GetGraphBackColor() const { return graphBackColor_; }
    void SetGraphBackColor(TColor v) { Store(graphBackColor_, v); }
    int GetGraphTop() const { return graphTop_; }
    void SetGraphTop(int v) { Store(graphTop_, v); }
    int GetGraphLeft() const { return graphLeft_; }
    void SetGraphLeft(int v) { Store(graphLeft_, v); }
    int GetGraphSubWidth() const { return graphSubWidth_; }
    void SetGraphSubWidth(int v) { Store(graphSubWidth_, v); }
    int GetGraphSubHeight() const { return graphSubHeight_; }
    void SetGraphSubHeight(int v) { Store(graphSubHeight_, v); }
    int GetGraphCount() const { return graphCount_; }
    void SetGraphCount(int v) { Store(graphCount_, v); }
    bool GetShowScaleY() const { return showScaleY_; }
    void SetShowScaleY(bool v) { Store(showScaleY_, v); }
    bool GetShowScaleX() const { return showScaleX_; }
    void SetShowScaleX(bool v) { Store(showScaleX_, v); }
    double GetYMax() const { return scale_.YMax; }
    // The range never closes below 0.001: a YMax at or under YMin pushes YMin down.
    void SetYMax(double v);
    double GetYMin() const { return scale_.YMin; }
    void SetYMin(double v);
    QString GetAddYScaleStr() const { return addYScaleStr_; }
    void SetAddYScaleStr(const QString& v) { addYScaleStr_ = v; }
    QString GetAddXScaleStr() const { return addXScaleStr_; }
    void SetAddXScaleStr(const QString& v) { addXScaleStr_ = v; }
    bool GetShowCursor() const { return showCursor_; }
    void SetShowCursor(bool v) { Store(showCursor_, v); }
    bool GetShowBorder() const { return showBorder_; }
    void SetShowBorder(bool v) { Store(showBorder_, v); }
    TPen* GetCursorPen() const { return cursorPen_; }
    void SetCursorPen(const TPen* pen) { AssignPen(cursorPen_, pen); }
    bool GetTransparent() const { return transparent_; }
    void SetTransparent(bool v) { Store(transparent_, v); }
    bool GetEnablePresentArray() const { return enablePresentArray_; }
    void SetEnablePresentArray(bool v) { Store(enablePresentArray_, v); }
    int GetCurrentGraph() const { return currentGraph_; }
    void SetCurrentGraph(int v) { Store(currentGraph_, v); }
    // The pen of channel i; an index outside 0..15 means CurrentGraph.
    TPen* GraphPen(int i) const;
    void SetGraphPen(int i, const TPen* pen) { AssignPen(GraphPen(i), pen); }
    TPen* GetGraphPenCurrent() const { return GraphPen(-1); }
    void SetGraphPenCurrent(const TPen* pen) { SetGraphPen(-1, pen); }
    bool GetAutoYMax() const { return scale_.AutoYMax; }
    void SetAutoYMax(bool v) { scale_.AutoYMax = v; }
    bool GetAutoYMin() const { return scale_.AutoYMin; }
    void SetAutoYMin(bool v) { scale_.AutoYMin = v; }
    TDateTime GetStartTime() const { return store_.StartTime(); }
    void SetStartTime(TDateTime v) { store_.SetInterval(v, store_.StopTime()); }
    TDateTime GetStopTime() const { return store_.StopTime(); }
    void SetStopTime(TDateTime v) { store_.SetInterval(store_.StartTime(), v); }
    TDateTime GetCursorTime() const { return cursorTime_; }
    void SetCursorTime(TDateTime v) { Store(cursorTime_, v); }
    int GetCursorPosition() const { return cursorPosition_; }
    void SetCursorPosition(int v) { cursorPosition_ = v; }
    TVelmarCursorType GetCursorType() const { return cursorType_; }
    void SetCursorType(TVelmarCursorType v) { cursorType_ = v; }
    double GetCursorY() const { return cursorY_; }
    void SetCursorY(double v) { cursorY_ = v; }
    TDateTime GetDataStep() const { return dataStep_; }
    // Below 10 ms ignored; above one second the step in seconds is whole.
    void SetDataStep(TDateTime d);
    int GetArraySize() const { return arraySize_; }
    // 10 .. 3000, else a message box and no change. The store has 3000 steps anyway.
    void SetArraySize(int v);
    QString GetIniName() const { return iniName_; }
    // A new, non-empty name loads the curve pens from that file at once.
    void SetIniName(const QString& v);
    double GetYLabelStep() const { return scale_.YLabelStep; }
    void SetYLabelStep(double v) { Store(scale_.YLabelStep, v); }
    bool GetMinYLabel() const { return minYLabel_; }
    void SetMinYLabel(bool v) { minYLabel_ = v; }
    bool GetMaxYLabel() const { return maxYLabel_; }
    void SetMaxYLabel(bool v) { maxYLabel_ = v; }
    TDateTime GetXLabelStep() const { return xLabelStep_; }
    void SetXLabelStep(TDateTime v) { Store(xLabelStep_, v); }
    bool GetMinXLabel() const { return minXLabel_; }
    void SetMinXLabel(bool v) { Store(minXLabel_, v); }
    bool GetMaxXLabel() const { return maxXLabel_; }
    void SetMaxXLabel(bool v) { Store(maxXLabel_, v); }
    bool GetShowLabelNet() const { return showLabelNet_; }
    void SetShowLabelNet(bool v) { showLabelNet_ = v; }
    TPen* GetLabelNetPen() const { return labelNetPen_; }
    void SetLabelNetPen(const TPen* pen) { AssignPen(labelNetPen_, pen); }
    TDateTime GetSecondNetStepX() const { return secondNetStepX_; }
    void SetSecondNetStepX(TDateTime v) { Store(secondNetStepX_, v); }
    double GetSecondNetStepY() const { return secondNetStepY_; }
    void SetSecondNetStepY(double v) { Store(secondNetStepY_, v); }
    TPen* GetSecondNetPen() const { return secondNetPen_; }
    void SetSecondNetPen(const TPen* pen) { AssignPen(secondNetPen_, pen); }
    bool GetShowSecondNet() const { return showSecondNet_; }
    void SetShowSecondNet(bool v) { Store(showSecondNet_, v); }
    TDateTime GetNewStartTime() const { return newStartTime_; }
    void SetNewStartTime(TDateTime v) { newStartTime_ = v; }
    TDateTime GetNewStopTime() const { return newStopTime_; }
    void SetNewStopTime(TDateTime v);
    TDateTime GetNewCursorTime() const { return newCursorTime_; }
    void SetNewCursorTime(TDateTime v);
    bool GetNewIntervalAccepted() const { return newIntervalAccepted_; }
    // false -> true takes over the prepared interval and cursor (no repaint).
    void SetNewIntervalAccepted(bool v);
    TFont* GetXScaleFont() const { return xScaleFont_; }
    void SetXScaleFont(const TFont* f) { AssignFont(xScaleFont_, f); }
    TFont* GetYScaleFont() const { return yScaleFont_; }
    void SetYScaleFont(const TFont* f) { AssignFont(yScaleFont_, f); }
    double GetSecondStep() const { return store_.SecondStep(); }
    // Below 0.01 s the step becomes one second.
    void SetSecondStep(double s);
    int GetIntervalSize() const { return store_.IntervalSize(); }
    void SetIntervalSize(int);
    int GetIntervalPointCount() const { return store_.IntervalPointCount(); }
    void SetIntervalPointCount(int);
    double GetDetectedYMin() const { return detectedYMin_; }
    void SetDetectedYMin(double);
    double GetDetectedYMax() const { return detectedYMax_; }
    void SetDetectedYMax(double);
    QString GetScaleXFormat() const { return scaleXFormat_; }
    void SetScaleXFormat(const QString& v) { Store(scaleXFormat_, v); }
    QString GetScaleYFormat() const { return scale_.ScaleYFormat; }
    void SetScaleYFormat(const QString& v) { Store(scale_.ScaleYFormat, v); }
    bool GetDemoData() const { return demoData_; }
    void SetDemoData(bool v);
    bool GetMultiScaleMode() const { return multiScaleMode_; }
    void SetMultiScaleMode(bool v) { multiScaleMode_ = v; }
    bool GetAutoRecalcScaleK() const { return autoRecalcScaleK_; }
    void SetAutoRecalcScaleK(bool v) { autoRecalcScaleK_ = v; }
    bool GetAutoYScale() const { return scale_.AutoYScale; }
    void SetAutoYScale(bool v) { Store(scale_.AutoYScale, v); }
    bool GetAutoYScaleFormat() const { return scale_.AutoYScaleFormat; }
    void SetAutoYScaleFormat(bool v) { Store(scale_.AutoYScaleFormat, v); }
    bool GetAutoXScaleFormat() const { return autoXScaleFormat_; }
    void SetAutoXScaleFormat(bool v) { autoXScaleFormat_ = v; }
    bool GetPositiveY() const { return scale_.PositiveY; }
    void SetPositiveY(bool v) { Store(scale_.PositiveY, v); }
    TDateTime GetWinLeftLimit() const { return winLeftLimit_; }
    void SetWinLeftLimit(TDateTime v) { Store(winLeftLimit_, v); }
    TDateTime GetWinRightLimit() const { return winRightLimit_; }
    void SetWinRightLimit(TDateTime v) { Store(winRightLimit_, v); }
    bool GetWinLeftLimitOK() const { return winLeftLimitOK_; }
    void SetWinLeftLimitOK(bool v) { Store(winLeftLimitOK_, v); }
    bool GetWinRightLimitOK() const { return winRightLimitOK_; }
    void SetWinRightLimitOK(bool v) { Store(winRightLimitOK_, v); }
    TPen* GetWinLimitsPen() const { return winLimitsPen_; }
    void SetWinLimitsPen(const TPen* pen) { AssignPen(winLimitsPen_, pen); }
    TColor GetAlarmColor() const { return alarmColor_; }
    void SetAlarmColor(TColor v) { Store(alarmColor_, v); }
    int GetBestNetLineCount() const { return scale_.BestNetLineCount; }
    void SetBestNetLineCount(int v) { Store(scale_.BestNetLineCount, v); }
    bool GetShowRightScale() const { return showRightScale_; }
    void SetShowRightScale(bool v) { Store(showRightScale_, v); }
    double GetRightYMin() const { return rightYMin_; }
    void SetRightYMin(double v) { Store(rightYMin_, v); }
    double GetRightYMax() const { return rightYMax_; }
    void SetRightYMax(double v) { rightYMax_ = v; }
    double GetRightScaleStep() const { return rightScaleStep_; }
    void SetRightScaleStep(double v) { Store(rightScaleStep_, v); }
    TFont* GetLegendFont() const { return legendFont_; }
    void SetLegendFont(const TFont* f) { AssignFont(legendFont_, f); }
    TStringList* GetLegendStrings() const { return legendStrings_; }
    void SetLegendStrings(const TStringList* l);
    bool GetShowLegend() const { return showLegend_; }
    void SetShowLegend(bool v) { Store(showLegend_, v); }
    double GetMinDeltaY() const { return scale_.MinDeltaY; }
    void SetMinDeltaY(double v) { scale_.MinDeltaY = v; }
    int GetMarkerCount() const { return markerCount_; }
    // 0 .. 15; other values are refused.
    void SetMarkerCount(int v);
    int GetMarkerIx() const { return markerIx_; }
    void SetMarkerIx(int v) { Store(markerIx_, v); }
    // The marker channel MarkerIx, when it is below MarkerCount (else 0 / ignored).
    int GetMarkerWidth() const;
    void SetMarkerWidth(int v);
    int GetMarkerHeight() const;
    void SetMarkerHeight(int v);
    TColor GetMarkerColor() const;
    void SetMarkerColor(TColor v);
    bool GetHistogramGraph() const { return histogramGraph_; }
    void SetHistogramGraph(bool v) { Store(histogramGraph_, v); }
    bool GetAverageMode() const { return store_.AverageMode(); }
    void SetAverageMode(bool v) { store_.SetAverageMode(v); }
    bool GetTabStop() const { return focusPolicy() == Qt::StrongFocus; }
    void SetTabStop(bool v) { setFocusPolicy(v ? Qt::StrongFocus : Qt::ClickFocus); }
    // The menu a right click opens, with the chart as its PopupComponent (not
    // owned; usually a component of the window). None while the right click
    // belongs to OnMouseDown.
    TPopupMenu* GetPopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }

    // Per-channel scale of the multi-scale form.
    double ChannelLow(int c) const { return TLevelGraphStore::ValidChannel(c) ? channelLow_[c] : 0.0; }
    double ChannelHigh(int c) const { return TLevelGraphStore::ValidChannel(c) ? channelHigh_[c] : 0.0; }
    double ScaleK(int c) const { return TLevelGraphStore::ValidChannel(c) ? scaleK_[c] : 0.0; }

    // --- events ----------------------------------------------------------------
    const TNotifyEvent& OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent h) { onChange_ = std::move(h); }
    const TMouseDownEvent& OnMouseDown() const { return onMouseDown_; }
    void SetOnMouseDown(TMouseDownEvent h) { onMouseDown_ = std::move(h); }
    const TNotifyEvent& OnDblClick() const { return onDblClick_; }
    void SetOnDblClick(TNotifyEvent h) { onDblClick_ = std::move(h); }
    const TKeyDownEvent& OnKeyDown() const { return onKeyDown_; }
    void SetOnKeyDown(TKeyDownEvent h) { onKeyDown_ = std::move(h); }
    // Raises OnChange with the chart as sender.
    void Change();

    // --- data --------------------------------------------------------------------
    const TLevelGraphStore& Data() const { return store_; }
    void AddPoint(int c, TDateTime time, double value, bool alarm = false) {
        store_.AddPoint(c, time, value, alarm);
    }
    double GetPoint(int c, TDateTime time) const { return store_.GetPoint(c, time); }
    void DelPoint(int c, TDateTime time) { store_.DelPoint(c, time); }
    void ResetGraph(int c) { store_.ResetGraph(c); }
    void ResetMarker(int c);
    void ResetData();
    // The marker word of channel c at a step (or at the step of a moment); with
    // merge the flags are or-ed in. Returns the step or -1.
    int Add_marker_point(int c, int step, int flags, bool merge);
    int Add_marker_point(int c, TDateTime time, int flags, bool merge);
    double TimeToIndex(TDateTime time) const { return store_.TimeToIndex(time); }
    void LoadDemoData();

    // --- geometry of the last pass ----------------------------------------------
    // Plot rectangle, step count and scale factors; false when nothing can be drawn.
    bool CalcRegion();
    const TPlotRegion& Region() const { return region_; }
    int PlotLeft() const { return region_.PlotLeft; }
    int PlotTop() const { return region_.PlotTop; }
    int PlotRight() const { return region_.PlotRight; }
    int PlotBottom() const { return region_.PlotBottom; }
    double PixelsPerStep() const { return region_.PixelsPerStep; }
    double PixelsPerUnit() const { return region_.PixelsPerUnit; }
    TDateTime FirstXLabelTime() const { return firstXLabelTime_; }
    double IndexToScreenX(double step) const { return region_.IndexToScreenX(step); }
    double TimeToScreenX(TDateTime time) const { return region_.IndexToScreenX(store_.TimeToIndex(time)); }
    double YToScreen(double value) const { return region_.YToScreen(value); }
    double ScreenToIX(double x) const { return region_.ScreenToIX(x); }
    // Not clamped to the interval; an arithmetic failure beeps and gives Now().
    TDateTime ScreenToTime(double x) const;
    double ScreenToY(double y) const { return region_.ScreenToY(y); }
    static double CalcStartNetPoint(double origin, double step) { return ::CalcStartNetPoint(origin, step); }
    static double TranslateVal(double v, double fromLow, double fromHigh, double toLow, double toHigh) {
        return ::TranslateVal(v, fromLow, fromHigh, toLow, toHigh);
    }
    // The horizontal grid lines of the value axis as the last pass placed them:
    // value, y of the line's label, left and right label texts.
    struct TYLabel {
        double value;
        int y;
        QString text;
        QString rightText;
    };
    QList<TYLabel> YScaleLabels() const;
    // The automatic value scale over the data (changes YMin, YMax, YLabelStep and
    // ScaleYFormat without asking for another pass).
    void CheckAutoLimits();
    void CheckDeltaY() { ::CheckDeltaY(scale_); }

    // --- output ------------------------------------------------------------------
    void UpdateChanges() { Invalidate(); }
    // Draws the chart into its own picture at the given size (Picture() then
    // holds it); the next on-screen pass redraws at the control's size. False
    // for a size that cannot be a picture. With a scale above 1 the picture
    // has that many pixels per unit of the size (its device pixel ratio): the
    // same drawing, sharper on paper.
    bool ExportImage(int width, int height, bool forPrint, double scale = 1.0);
    // The picture ExportImage drew, for the owner to draw its legend controls
    // into and to save.
    QImage& ExportBitmap() { return PictureRef(); }
    // Draws the chart onto another canvas, margins scaled to the target size.
    void PaintTo(QPainter& canvas, int x, int y, int width, int height, bool forPrint);

    // The curve pens in IniName, section Name, keys "pw<i>" and "pc<i>".
    bool SaveToIni();
    bool LoadFromIni();

public Q_SLOTS:
    void StyleChanged(QObject* sender = nullptr) override;

protected:
    void Paint(QPainter& canvas) override;
    void DrawPicture(QPainter& p) override;
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void AssignPen(TPen* own, const TPen* pen);
    void AssignFont(TFont* own, const TFont* font);
    bool CalcRegionFor(int left, int top, int right, int bottom);
    void RefreshYFactor();

    // The layers of a pass, in drawing order.
    void PaintBackGround(QPainter& p, const QRect& whole, bool skipOuter);
    void PaintXScale(QPainter& p, int rightLimit, int bitmapWidth);
    void PaintYScale(QPainter& p);
    void PaintMarkers(QPainter& p);
    void PaintGraphs(QPainter& p);
    void PaintMultiGraph(QPainter& p);
    void PaintCursor(QPainter& p);
    void DrawRuns(QPainter& p, const TPen& pen);

    TLevelGraphStore store_;
    TValueScale scale_;
    TPlotRegion region_;
    TDateTime firstXLabelTime_ = 0.0;
    TCurvePath path_;             // reused by every pass
    std::vector<QPoint> compact_; // the same

    TPen* borderPen_;
    TPen* cursorPen_;
    TPen* labelNetPen_;
    TPen* secondNetPen_;
    TPen* winLimitsPen_;
    std::array<TPen*, kChannels> graphPens_{};
    TFont* xScaleFont_;
    TFont* yScaleFont_;
    TFont* legendFont_;
    TStringList* legendStrings_;

    TColor backColor_ = clSilver;
    TColor graphBackColor_ = clWhite;
    int graphTop_ = 10;
    int graphLeft_ = 30;
    int graphSubWidth_ = 30;
    int graphSubHeight_ = 15;
    int graphCount_ = 1;
    bool showScaleY_ = true;
    bool showScaleX_ = true;
    QString addYScaleStr_;
    QString addXScaleStr_;
    bool showCursor_ = false;
    bool showBorder_ = false;
    bool transparent_ = false;
    bool enablePresentArray_ = true;
    int currentGraph_ = 0;
    TDateTime cursorTime_ = 0.0;
    int cursorPosition_ = 0;
    TVelmarCursorType cursorType_ = vm_cursor_VLine;
    double cursorY_ = 0.0;
    TDateTime dataStep_ = 60.0 / kSecondsPerDay;
    int arraySize_ = 1000;
    QString iniName_;
    bool minYLabel_ = false;
    bool maxYLabel_ = false;
    TDateTime xLabelStep_ = 0.0;
    bool minXLabel_ = false;
    bool maxXLabel_ = false;
    bool showLabelNet_ = false;
    TDateTime secondNetStepX_ = 0.0;
    double secondNetStepY_ = 0.0;
    bool showSecondNet_ = false;
    TDateTime newStartTime_ = 0.0;
    TDateTime newStopTime_ = 0.0;
    TDateTime newCursorTime_ = 0.0;
    bool newIntervalAccepted_ = false;
    double detectedYMin_ = 0.0;
    double detectedYMax_ = 0.0;
    QString scaleXFormat_ = QStringLiteral("hh:mm");
    bool demoData_ = false;
    bool multiScaleMode_ = false;
    bool autoRecalcScaleK_ = false;
    bool autoXScaleFormat_ = true;
    TDateTime winLeftLimit_ = 0.0;
    TDateTime winRightLimit_ = 0.0;
    bool winLeftLimitOK_ = false;
    bool winRightLimitOK_ = false;
    TColor alarmColor_ = clRed;
    bool showRightScale_ = false;
    double rightYMin_ = 0.0;
    double rightYMax_ = 0.0;
    double rightScaleStep_ = 0.0;
    bool showLegend_ = false;
    int markerCount_ = 0;
    int markerIx_ = 0;
    std::array<int, kChannels> markerWidth_;
    std::array<int, kChannels> markerHeight_;
    std::array<TColor, kChannels> markerColor_;
    bool histogramGraph_ = false;
    std::array<double, kChannels> channelLow_{};
    std::array<double, kChannels> channelHigh_{};
    std::array<double, kChannels> scaleK_;

    QPointer<TPopupMenu> popupMenu_;
    bool popupTaken_ = false;

    TNotifyEvent onChange_;
    TNotifyEvent onDblClick_;
    TMouseDownEvent onMouseDown_;
    TKeyDownEvent onKeyDown_;
};

using TVelmarCursorType = TLevelGraph::TVelmarCursorType;
