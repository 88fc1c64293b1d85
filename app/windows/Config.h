#pragma once
// The settings dialog: the shift start, the database connection and the
// shutdown flag ("Общие"); the plant constants of table setup ("Константы");
// the state colour sets of the scheme and the interactive set-up mode
// ("Оформление"); the alarms' definitions ("Сигнализация").

#include "ColorSets.h"
#include "AppContext.h"
#include "Database.h"
#include "Dbgrideh.h"
#include "Layout.h"

#include <QDialog>
#include <QVariant>
#include <QVector>
#include <optional>

class TAlarmConfigPage;
class TLabel;
class TOutField;

// The shift start buttons: the hour wraps around the clock, the day offset
// stays within 0..3.
int NextShiftHour(int hour); // 23 -> 0
int PrevShiftHour(int hour); // 0 -> 23
int IncDayOffset(int days);  // raised only while at most 2
int DecDayOffset(int days);  // lowered only while at least 1
// "7:00", "12:00", "0:00".
QString ShiftHourText(int hour);

// A colour field's slot by its Tag: 10*k is slot k-1 of the active set, 10*k+1
// the same slot of the switched-off set. Nothing for a Tag that names no slot.
struct TColorSlot {
    bool off = false;
    int index = 0;
};
std::optional<TColorSlot> ColorSlotOfTag(int tag);

// The local copy of the plant constants that the grid edits. Every change is
// kept with the values the row had when it was read, until the database has
// taken it: then the row counts as saved. A change the database refused stays
// here, marked, and is offered again with the next apply; nothing the operator
// changed ever disappears from the grid unsaved.
class TConstantsCopy : public TGridData {
public:
    enum Field { ConstName, ConstVal, Comment, FieldCount };
    static constexpr int kNameLength = 30;
    static constexpr int kCommentLength = 251;

    enum class State { Unchanged, Inserted, Modified, Deleted };
    struct Row {
        QVariant values[FieldCount]; // current; a null QVariant is NULL
        QVariant read[FieldCount];   // as read (or as last saved)
        State state = State::Unchanged;
        QString refusal; // the database's answer to the last attempt, if it refused
        // A new row whose insert had reached the server when the connection
        // was lost: it may be there already, so it goes again only when the
        // operator saves explicitly (a second row of the same constant otherwise).
        bool uncertain = false;
        // The row's change is on its way to the server (the grid takes no
        // edits meanwhile, so the values are those sent).
        bool sending = false;
        quint64 id = 0; // the row's own, kept while rows come and go around it
    };

    // One statement's worth of work: the row, and what to send.
    struct Change {
        enum Kind { Insert, Update, Delete } kind;
        int row;             // where the row was when the change was taken
        QVariantList values; // bound in order (see Sql::InsertConstant ...)
        quint64 id = 0;      // the row, wherever it is when the answer comes
    };

    bool Active() const { return active_; }
    void Load(const TResultTable& table); // the rows of "select * from setup"
    void Close();

    int RowCount() const override { return int(rows_.size()); }
    const Row& At(int row) const { return rows_[row]; }
    int FieldIndex(const QString& name) const override;
    QString DisplayText(int row, int field) const override;
    bool CanEdit(int field) const override { return field >= 0 && field < FieldCount; }
    int MaxLength(int field) const override;
    bool SetText(int row, int field, const QString& text, QString& error) override;
    RowMark Mark(int row) const override;
    QString MarkHint(int row) const override;

    // A new empty row before `row` (at the end when row is past it); the row
    // counts as posted once it has a name. Returns its index.
    int Insert(int row);
    // Deletes a row: a row the database never held goes at once (true); any
    // other stays, marked, until its deletion is saved (false). So does a new
    // row whose insert is on its way: it may be stored by then.
    bool Delete(int row);
    // Drops a new row that was left without a single value; true when it went.
    bool CancelIfEmpty(int row);

    // The changes to send, in row order: deletions, updates and inserts of
    // posted rows; uncertain inserts only when asked for.
    QVector<Change> PendingChanges(bool withUncertain = true) const;
    bool HasPendingChanges(bool withUncertain = true) const {
        return !PendingChanges(withUncertain).isEmpty();
    }
    // The changes go to the server now. The rows may move and be deleted
    // meanwhile; the answer finds them by their own id.
    void Sending(const QVector<Change>& changes);
    // The database took the change: the row counts as saved (a deleted row
    // leaves the copy; returns true then). A deletion asked for while the
    // change was on its way stays to be saved.
    bool Applied(const Change& change);
    // The database refused it; uncertain: the statement had reached the
    // server when the connection was lost. A refused new row the operator
    // deleted meanwhile leaves the copy.
    void Refused(const Change& change, const QString& text, bool uncertain = false);

private:
    void Restate(Row& r);
    int IndexOf(const Change& change) const;

    QVector<Row> rows_;
    bool active_ = false;
    quint64 nextId_ = 0;
};

// What became of one change of the constants: saved (no refusal), or why not.
struct TConstantOutcome {
    QString refusal;
    bool uncertain = false; // an insert whose answer was lost with the connection
};
// Sends the changes through bound statements, in row order, on the live
// session's thread. A change the server refuses, or one that reaches no row
// (the row was changed or deleted meanwhile), is refused with the reason.
// Throws nothing.
QVector<TConstantOutcome> SendConstantChanges(TDbSession& session, const QVector<TConstantsCopy::Change>& changes);
// Back on the window's thread: refused changes stay pending with their
// reason, the others are applied to the copy. Returns the text for the
// operator when anything was refused, else an empty text. (An insert whose
// answer was lost is sent again only with the operator's "Сохранить
// изменения": see TConstantsCopy::PendingChanges.)
QString TakeConstantOutcomes(TConstantsCopy& copy, const QVector<TConstantsCopy::Change>& changes,
                             const QVector<TConstantOutcome>& outcomes);

class TFormConfig : public QDialog {
    Q_OBJECT
public:
    explicit TFormConfig(TAppContext& context = NoAppContext(), QWidget* parent = nullptr);
    ~TFormConfig() override;

    // Fields.
    struct TAdvLabelsFont {
        QString name = QStringLiteral("Courier New Cyr");
        int size = 8;
        TColor color = clLime;
    } AdvLabelsFont;
    int EditedShiftHour = 7;
    // The colours the page "Оформление" edits. The scheme keeps colouring with
    // OnColors and OffColors until "Принять изменения" hands these over.
    TStateColors EditedOnColors = kDefaultStateColors;
    TStateColors EditedOffColors = kDefaultStateColors;

    // Components.
    TPageControl* PageControl1;
    TTabSheet *TabSheet1, *TabSheet2, *TabSheet3;
    TLabel *StartChangeLabel, *StartChangeDayLabel;
    TEdit *EditMySQL_Host, *EditMySQL_Login, *EditMySQL_Password;
    TCheckBox *CheckBoxSavePassword, *CheckBoxShutdownOnExit;
    TButton *ButIncHout, *ButDecHour, *ButIncDay, *ButDecDay, *ButApplyGeneralPage, *ButMySQL_Test;
    TButton *ButSaveConst, *ButApplyNewColors, *ButColorConfigOn, *ButColorConfigOff, *ButClose;
    TDBGridEh* DBGridEh2;
    TAlarmConfigPage* AlarmPage = nullptr; // "Сигнализация"
    TSQLConnection* SQLConnectionTest;
    TConstantsCopy ClientDataSetConst;

    // Shows the dialog modally (FormShow first); returns its result.
    int Execute();
    void FormShow();
    void SetGeneralPage();
    void ApplyColorFields();
    void LoadColors();
    void SaveColors();
    // Sends the pending constant changes; a refusal reaches the error box when
    // the answer has come. One save runs at a time (the grid takes no edits
    // meanwhile); one asked for during it follows it.
    void ApplyConstants(bool explicitSave = false);
    bool SavingConstants() const { return savingConstants_; }
    // Saves answered so far.
    int ConstantSaves() const { return constantSaves_; }
    // A connection test is under way.
    bool Testing() const { return testing_; }
    QList<TOutField*> ColorFields() const;

    const TLayout& Layout() const { return layout_; }
    // Closing takes a cell being edited first.
    void done(int result) override;

public Q_SLOTS:
    // Bound by name in the layout.
    void TabSheet1Show(QObject* sender);
    void TabSheet3Show(QObject* sender);
    void ButIncHoutClick(QObject* sender);
    void ButDecHourClick(QObject* sender);
    void ButIncDayClick(QObject* sender);
    void ButDecDayClick(QObject* sender);
    void CheckBoxSavePasswordClick(QObject* sender);
    void ButApplyGeneralPageClick(QObject* sender);
    void ButMySQL_TestClick(QObject* sender);
    void NavFirstClick(QObject* sender);
    void NavPriorClick(QObject* sender);
    void NavNextClick(QObject* sender);
    void NavLastClick(QObject* sender);
    void NavInsertClick(QObject* sender);
    void NavDeleteClick(QObject* sender);
    void ButSaveConstClick(QObject* sender);
    void OutFieldClick(QObject* sender);
    void ButApplyNewColorsClick(QObject* sender);
    void ButColorConfigOnClick(QObject* sender);
    void ButColorConfigOffClick(QObject* sender);

private:
    void OpenConstants();
    void ShowShiftLabels();
    void ConstantsChanged(int currentRow);

    TAppContext& context_;
    TLayout layout_;
    std::unique_ptr<TSQLClientDataSet> constantsRead_;
    bool savingConstants_ = false;
    bool saveAgain_ = false;
    bool saveAgainExplicit_ = false;
    int constantSaves_ = 0;
    bool testing_ = false;
};

extern TFormConfig* FormConfig;
