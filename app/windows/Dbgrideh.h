#pragma once
// The data grids of the windows: a table view over rows held in memory (a data
// set's result, or a local copy that the operator edits), with columns placed
// in the layout, the first columns fixed while the rest scroll sideways, an
// optional row indicator, and a printer that lays the rows out on pages under a
// rich-text heading.
//
//   object DBGridEh1: TDBGridEh
//     Align = alClient
//     FrozenCols = 1
//     object DBGridEh1RecMoment: TColumnEh
//       FieldName = 'RecMoment'
//       Title = 'Дата, время'
//       Width = 192
//       Alignment = taCenter
//     end
//   end
//
// The grid never holds the rows: it shows a TGridData, so a load of a whole day
// costs one reset of the view, and only the rows on the screen are formatted.

#include "Database.h"
#include "Stdcontrols.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>

class QPrinter;
class TDBGridEh;

// Runs fn from the event loop once the current event is done (a posted call,
// dropped when context is gone first).
template <class Fn> void Later(QObject* context, Fn fn) {
    QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
}

// One column of a grid, placed inside it in a layout.
class TColumnEh : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Name READ GetName WRITE SetName)
    Q_PROPERTY(QString FieldName READ GetFieldName WRITE SetFieldName)
    Q_PROPERTY(QString Title READ GetTitle WRITE SetTitle)
    Q_PROPERTY(int Width READ GetWidth WRITE SetWidth)
    Q_PROPERTY(Vcl::TAlignment Alignment READ GetAlignment WRITE SetAlignment)
    Q_PROPERTY(Vcl::TAlignment TitleAlignment READ GetTitleAlignment WRITE SetTitleAlignment)
public:
    explicit TColumnEh(QObject* owner = nullptr) : QObject(owner) {}
    QString GetName() const { return objectName(); }
    void SetName(const QString& value) { setObjectName(value); }
    QString GetFieldName() const { return fieldName_; }
    void SetFieldName(const QString& value);
    // Empty: the grid shows the field name.
    QString GetTitle() const { return title_; }
    void SetTitle(const QString& value);
    QString ShownTitle() const { return title_.isEmpty() ? fieldName_ : title_; }
    int GetWidth() const { return width_; }
    void SetWidth(int value);
    TAlignment GetAlignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TAlignment GetTitleAlignment() const { return titleAlignment_; }
    void SetTitleAlignment(TAlignment value);

Q_SIGNALS:
    void Changed();

private:
    QString fieldName_;
    QString title_;
    int width_ = 64;
    TAlignment alignment_ = taLeftJustify;
    TAlignment titleAlignment_ = taLeftJustify;
};

// What a grid shows: rows of fields, found by name.
class TGridData {
public:
    // How a row stands against the database, shown in the indicator column.
    enum class RowMark {
        None,
        Inserting, // new, not yet complete enough to be saved
        NotSaved,  // changed here; the database does not hold the change (yet)
        Deleted,   // deleted here; the database still holds the row
    };

    virtual ~TGridData() = default;
    virtual int RowCount() const = 0;
    virtual int FieldIndex(const QString& name) const = 0; // -1 when there is none
    virtual QString DisplayText(int row, int field) const = 0;

    // Editing; a read-only source leaves these alone.
    virtual bool CanEdit(int /*field*/) const { return false; }
    virtual int MaxLength(int /*field*/) const { return 0; } // 0: no limit
    virtual QString EditText(int row, int field) const { return DisplayText(row, field); }
    // Takes the operator's text for a field. False, with the reason in error,
    // when the text does not fit the field; nothing changes then.
    virtual bool SetText(int /*row*/, int /*field*/, const QString& /*text*/, QString& error) {
        error = QStringLiteral("Поле только для чтения");
        return false;
    }
    virtual RowMark Mark(int /*row*/) const { return RowMark::None; }
    virtual QString MarkHint(int /*row*/) const { return QString(); }
};

// The rows of a data set as a grid shows them: moments as "dd.mm.yyyy
// hh:nn:ss", numbers in the general format with the workstation's decimal
// separator, NULL as an empty cell.
class TResultTableData : public TGridData {
public:
    explicit TResultTableData(const TResultTable* table = nullptr) : table_(table) {}
    void SetTable(const TResultTable* table) { table_ = table; }
    const TResultTable* Table() const { return table_; }
    int RowCount() const override { return table_ ? table_->RowCount() : 0; }
    int FieldIndex(const QString& name) const override { return table_ ? table_->ColumnIndex(name) : -1; }
    QString DisplayText(int row, int field) const override;

private:
    const TResultTable* table_;
};

// One cell's text as the grids show it.
QString GridCellText(const TResultTable& table, int row, int column);

// The grid's view of its data: one model column per grid column.
class TGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TGridModel(TDBGridEh* grid);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    TGridData* Data() const { return data_; }
    void SetData(TGridData* source); // a reset; fields are resolved once here
    int FieldOf(int column) const { return column < fieldOf_.size() ? fieldOf_[column] : -1; }
    void SetCurrentRow(int row);
    int CurrentRow() const { return current_; }
    void Reset();
    void RowInserted(int row);
    void RowRemoved(int row);
    void RowChanged(int row);

private:
    void Resolve();

    TDBGridEh* grid_;
    TGridData* data_ = nullptr;
    QVector<int> fieldOf_;
    int current_ = -1;
};

// A grid: read-only unless ReadOnly is False and the data lets a field be
// edited. FrozenCols columns at the left stay in place when the rest scrolls
// sideways. ShowIndicator adds the row indicator column: the current row, a
// new row and a row whose change is not saved.
class TDBGridEh : public QTableView, public TStdControl, public TComponentContainer {
    Q_OBJECT
    ORDAL_STD_CONTROL_PROPERTIES
    Q_PROPERTY(TFont* TitleFont READ TitleFont WRITE SetTitleFont)
    Q_PROPERTY(bool ReadOnly READ GetReadOnly WRITE SetReadOnly)
    Q_PROPERTY(int FrozenCols READ GetFrozenCols WRITE SetFrozenCols)
    Q_PROPERTY(bool ShowIndicator READ GetShowIndicator WRITE SetShowIndicator)
    Q_PROPERTY(int RowHeight READ GetRowHeight WRITE SetRowHeight)
    Q_PROPERTY(int TitleLines READ GetTitleLines WRITE SetTitleLines)
public:
    explicit TDBGridEh(QWidget* owner = nullptr);

    const QList<TColumnEh*>& Columns() const { return columns_; }
    TColumnEh* ColumnByField(const QString& fieldName) const;
    void InsertComponent(QObject* component) override;

    TFont* TitleFont() const { return titleFont_; }
    void SetTitleFont(const TFont* value) { titleFont_->Assign(*value); }
    bool GetReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    int GetFrozenCols() const { return frozenCols_; }
    void SetFrozenCols(int value);
    bool GetShowIndicator() const { return showIndicator_; }
    void SetShowIndicator(bool value);
    // 0: from the cell font.
    int GetRowHeight() const { return rowHeight_; }
    void SetRowHeight(int value);
    // Lines of the title row; titles wrap at word boundaries within them.
    int GetTitleLines() const { return titleLines_; }
    void SetTitleLines(int value);

    // The rows shown; nullptr shows none (the data source switched off). The
    // source must outlive its showing.
    void SetDataSource(TGridData* source);
    TGridData* DataSource() const { return model_->Data(); }
    TGridModel* Model() const { return model_; }
    // Tell the grid what changed in its source.
    void DataReset() { model_->Reset(); }
    void DataRowInserted(int row) { model_->RowInserted(row); }
    void DataRowRemoved(int row) { model_->RowRemoved(row); }
    void DataRowChanged(int row) { model_->RowChanged(row); }

    int CurrentRow() const { return model_->CurrentRow(); }
    void SetCurrentRow(int row);
    // Whether a cell is being edited.
    bool Editing() const { return state() == QAbstractItemView::EditingState; }
    // Takes the text of a cell being edited as if Enter had been pressed (a
    // window that closes must not lose what the operator typed).
    void PostEditor();

    // The view that holds the fixed columns (over the left of this one).
    QTableView* FrozenView() const { return frozen_; }

    // After the operator's text went into a row (queued, so that a message box
    // never opens inside the editor's commit).
    TNotifyEvent OnRowPosted;
    int LastPostedRow() const { return lastPosted_; }
    // After the current row moved off a row (queued), with that row.
    std::function<void(int row)> OnRowLeft;

protected:
    void resizeEvent(QResizeEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void updateGeometries() override;

private:
    friend class TGridModel;
    friend class TGridDelegate;
    void ApplyColumns();
    void ApplyFonts();
    void UpdateFrozenGeometry();
    void Posted(int row);

    QList<TColumnEh*> columns_;
    TGridModel* model_;
    QTableView* frozen_;
    TFont* titleFont_;
    bool readOnly_ = true;
    int frozenCols_ = 0;
    bool showIndicator_ = false;
    int rowHeight_ = 0;
    int titleLines_ = 1;
    int lastPosted_ = -1;
    bool applying_ = false;
    QPointer<QWidget> editor_; // the editor last opened
};

// Prints a grid's rows under a heading, fitted to the page width: the heading
// (rich text) on the first page, the column titles on every page, a page
// header and a page footer ("Страница N из M") in their own font.
class TPrintDBGridEh : public QObject {
    Q_OBJECT
public:
    explicit TPrintDBGridEh(TDBGridEh* grid, QObject* parent = nullptr);

    TDBGridEh* Grid() const { return grid_; }
    QString BeforeGridText; // the heading, HTML
    QString PageHeaderText; // at the top right of every page
    QFont PageHeaderFont;   // and of the footer

    // The heading with every placeholder word ("[StartTime]") replaced.
    QString HeadingWith(const QList<std::pair<QString, QString>>& substitutions) const;
    // Lays the rows out and paints every page; the heading as given.
    void Print(QPrinter* printer, const QString& heading);
    // The page count of the last Print.
    int PageCount() const { return pages_; }
    // Opens the print preview (modal; printing and page set-up happen there).
    void Preview(const QString& heading, QWidget* parent);

private:
    TDBGridEh* grid_;
    int pages_ = 0;
};
