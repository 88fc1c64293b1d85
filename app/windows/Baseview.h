#pragma once
// The raw process history (pu_data) between two moments, as a read-only
// table: every row of the range at once, oldest first.

#include "AppContext.h"
#include "Database.h"
#include "DateTime.h"
#include "Dbgrideh.h"
#include "Layout.h"

#include <QWidget>
#include <optional>

// The range of the two day pickers and the two time pickers: the whole day of
// each date with the time of day of its time picker.
struct TBrowserRange {
    TDateTime start = 0, stop = 0;
    bool operator==(const TBrowserRange&) const = default;
};
TBrowserRange BrowserRangeOf(TDateTime startDay, TDateTime startTime, TDateTime stopDay, TDateTime stopTime);

class TFormBaseView : public QWidget {
    Q_OBJECT
public:
    // Reads through the context's connection.
    explicit TFormBaseView(TAppContext& context = NoAppContext(), QWidget* parent = nullptr);
    ~TFormBaseView() override;

    TDateTimePicker *DateTimePicker1, *DateTimePicker2, *DateTimePicker3, *DateTimePicker4;
    TButton* ButLoad;
    TPageControl* PageControl1;
    TDBGridEh* DBGridEh1;
    TSQLClientDataSet SQLClientDataSetPafData;
    TResultTableData DataSourcePafData;

    const TLayout& Layout() const { return layout_; }

    // Set while a load waits for its rows.
    bool Loading = false;
    // The range of the rows in the grid (of the last load that ended).
    TBrowserRange Loaded() const { return loaded_; }

public Q_SLOTS:
    // Loads the chosen range; on a closed connection the load connects it
    // first. A failure reaches the error box and leaves the grid empty. Asked
    // for while a load runs, it runs once that load has ended.
    void ButLoadClick(QObject* sender);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The pickers on the current shift day's period, unless the operator has
    // changed them since the window last put a period there.
    void PickShiftDayPeriod();
    void Load(const TBrowserRange& range);

    TLayout layout_;
    TBrowserRange loaded_;
    std::optional<TBrowserRange> picked_;  // the period the window put into the pickers
    std::optional<TBrowserRange> pending_; // asked for while a load ran
    bool shown_ = false;
};

extern TFormBaseView* FormBaseView;
