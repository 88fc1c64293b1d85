#include "Config.h"

#include "AlarmConfig.h"

#include "Controls.h"
#include "Global.h"
#include "IniFile.h"
#include "Log.h"
#include "Mnemo.h"
#include "NumText.h"
#include "Outfield.h"
#include "Platform.h"
#include "Sql.h"

#include <cmath>

TFormConfig* FormConfig = nullptr;

namespace {
const char* const kLayoutFile = ":/layouts/FormConfig.layout";
const char* const kFieldNames[TConstantsCopy::FieldCount] = {"ConstName", "ConstVal", "Comment"};

bool SameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    if (a.typeId() == QMetaType::Double || b.typeId() == QMetaType::Double)
        return a.toDouble() == b.toDouble();
    return a.toString() == b.toString();
}

// NULL as a null value of the column's type, so the bound statement sends NULL.
QVariant Bound(const QVariant& v, int field) {
    if (!v.isNull())
        return v;
    return field == TConstantsCopy::ConstVal ? QVariant(QMetaType::fromType<double>())
                                             : QVariant(QMetaType::fromType<QString>());
}
} // namespace

// ---------------------------------------------------------------------------
// The general page's arithmetic

int NextShiftHour(int hour) {
    return hour >= 23 ? 0 : hour + 1;
}
int PrevShiftHour(int hour) {
    return hour <= 0 ? 23 : hour - 1;
}
int IncDayOffset(int days) {
    return days <= 2 ? days + 1 : days;
}
int DecDayOffset(int days) {
    return days >= 1 ? days - 1 : days;
}
QString ShiftHourText(int hour) {
    return QString::number(hour) + QStringLiteral(":00");
}

std::optional<TColorSlot> ColorSlotOfTag(int tag) {
    if (tag <= 9)
        return std::nullopt;
    const int index = tag / 10 - 1;
    if (index < 0 || index >= kStateColorCount)
        return std::nullopt;
    return TColorSlot{tag % 10 != 0, index};
}

// ---------------------------------------------------------------------------
// The local copy of the constants

void TConstantsCopy::Load(const TResultTable& table) {
    rows_.clear();
    int column[FieldCount];
    for (int f = 0; f < FieldCount; ++f)
        column[f] = table.ColumnIndex(QLatin1String(kFieldNames[f]));
    for (int r = 0; r < table.RowCount(); ++r) {
        Row row;
        for (int f = 0; f < FieldCount; ++f) {
            const int c = column[f];
            if (c < 0 || table.IsNull(r, c))
                continue;
            row.values[f] = f == ConstVal ? QVariant(table.Number(r, c)) : QVariant(table.Text(r, c));
        }
        std::copy(std::begin(row.values), std::end(row.values), std::begin(row.read));
        row.id = ++nextId_;
        rows_.append(row);
    }
    active_ = true;
}

void TConstantsCopy::Close() {
    rows_.clear();
    active_ = false;
}

int TConstantsCopy::FieldIndex(const QString& name) const {
    for (int f = 0; f < FieldCount; ++f)
        if (name.compare(QLatin1String(kFieldNames[f]), Qt::CaseInsensitive) == 0)
            return f;
    return -1;
}

QString TConstantsCopy::DisplayText(int row, int field) const {
    const QVariant& v = rows_[row].values[field];
    if (v.isNull())
        return QString();
    return field == ConstVal ? FloatToStr(v.toDouble()) : v.toString();
}

int TConstantsCopy::MaxLength(int field) const {
    return field == ConstName ? kNameLength : field == Comment ? kCommentLength : 0;
}

bool TConstantsCopy::SetText(int row, int field, const QString& text, QString& error) {
    if (row < 0 || row >= rows_.size() || !CanEdit(field))
        return false;
    Row& r = rows_[row];
    if (r.state == State::Deleted) {
        error = QStringLiteral("Запись удалена");
        return false;
    }
    QVariant value;
    switch (field) {
    case ConstName: {
        const QString name = text.trimmed();
        if (name.isEmpty() && r.state != State::Inserted) {
            error = QStringLiteral("Поле \"Краткое имя\" должно иметь значение.");
            return false;
        }
        if (name.size() > kNameLength) {
            error = QStringLiteral("Краткое имя длиннее %1 символов.").arg(kNameLength);
            return false;
        }
        if (!name.isEmpty())
            value = name;
        break;
    }
    case ConstVal: {
        const QString t = text.trimmed();
        if (t.isEmpty())
            break;
        auto x = StrToFloatOpt(t);
        if (!x)
            x = StrToFloatOpt(t, QLatin1Char('.'));
        if (!x) {
            error = QStringLiteral("'%1' не является числом.").arg(t);
            return false;
        }
        value = *x;
        break;
    }
    default:
        if (text.size() > kCommentLength) {
            error = QStringLiteral("Описание длиннее %1 символов.").arg(kCommentLength);
            return false;
        }
        if (!text.isEmpty())
            value = text;
        break;
    }
    r.values[field] = value;
    if (!r.uncertain)
        r.refusal.clear();
    Restate(r);
    return true;
}

void TConstantsCopy::Restate(Row& r) {
    if (r.state == State::Inserted || r.state == State::Deleted)
        return;
    bool same = true;
    for (int f = 0; f < FieldCount; ++f)
        same = same && SameValue(r.values[f], r.read[f]);
    r.state = same ? State::Unchanged : State::Modified;
}

TGridData::RowMark TConstantsCopy::Mark(int row) const {
    const Row& r = rows_[row];
    switch (r.state) {
    case State::Unchanged:
        return RowMark::None;
    case State::Inserted:
        return r.values[ConstName].isNull() ? RowMark::Inserting : RowMark::NotSaved;
    case State::Modified:
        return RowMark::NotSaved;
    case State::Deleted:
        return RowMark::Deleted;
    }
    return RowMark::None;
}

QString TConstantsCopy::MarkHint(int row) const {
    const Row& r = rows_[row];
    QString what;
    switch (Mark(row)) {
    case RowMark::None:
        return QString();
    case RowMark::Inserting:
        return QStringLiteral("Новая запись: задайте краткое имя");
    case RowMark::NotSaved:
        what = QStringLiteral("Изменение не сохранено в базе данных");
        break;
    case RowMark::Deleted:
        what = QStringLiteral("Удаление не сохранено в базе данных");
        break;
    }
    return r.refusal.isEmpty() ? what : what + QStringLiteral(": ") + r.refusal;
}

int TConstantsCopy::Insert(int row) {
    row = std::clamp(row, 0, int(rows_.size()));
    Row r;
    r.state = State::Inserted;
    r.id = ++nextId_;
    rows_.insert(row, r);
    return row;
}

bool TConstantsCopy::Delete(int row) {
    if (row < 0 || row >= rows_.size())
        return false;
    Row& r = rows_[row];
    if (r.state == State::Inserted && !r.sending) {
        rows_.removeAt(row);
        return true;
    }
    r.state = State::Deleted;
    r.refusal.clear();
    return false;
}

bool TConstantsCopy::CancelIfEmpty(int row) {
    if (row < 0 || row >= rows_.size() || rows_[row].state != State::Inserted)
        return false;
    for (const QVariant& v : rows_[row].values)
        if (!v.isNull())
            return false;
    rows_.removeAt(row);
    return true;
}

QVector<TConstantsCopy::Change> TConstantsCopy::PendingChanges(bool withUncertain) const {
    QVector<Change> changes;
    for (int i = 0; i < rows_.size(); ++i) {
        const Row& r = rows_[i];
        QVariantList now, read;
        for (int f = 0; f < FieldCount; ++f) {
            now << Bound(r.values[f], f);
            read << Bound(r.read[f], f);
        }
        switch (r.state) {
        case State::Unchanged:
            break;
        case State::Inserted:
            // Posted once it has a name.
            if (!r.values[ConstName].isNull() && (withUncertain || !r.uncertain))
                changes.append({Change::Insert, i, now, r.id});
            break;
        case State::Modified:
            changes.append({Change::Update, i, now + read, r.id});
            break;
        case State::Deleted:
            changes.append({Change::Delete, i, read, r.id});
            break;
        }
    }
    return changes;
}

int TConstantsCopy::IndexOf(const Change& change) const {
    for (int i = 0; i < rows_.size(); ++i)
        if (rows_[i].id == change.id)
            return i;
    return -1;
}

void TConstantsCopy::Sending(const QVector<Change>& changes) {
    for (const Change& c : changes) {
        const int i = IndexOf(c);
        if (i >= 0)
            rows_[i].sending = true;
    }
}

bool TConstantsCopy::Applied(const Change& change) {
    const int i = IndexOf(change);
    if (i < 0)
        return false;
    Row& r = rows_[i];
    if (change.kind == Change::Delete) {
        rows_.removeAt(i);
        return true;
    }
    // The server holds what was sent; a deletion asked for meanwhile now
    // matches it and is still to be saved.
    std::copy(std::begin(r.values), std::end(r.values), std::begin(r.read));
    r.sending = false;
    r.refusal.clear();
    r.uncertain = false;
    if (r.state != State::Deleted)
        r.state = State::Unchanged;
    return false;
}

void TConstantsCopy::Refused(const Change& change, const QString& text, bool uncertain) {
    const int i = IndexOf(change);
    if (i < 0)
        return;
    Row& r = rows_[i];
    r.sending = false;
    if (change.kind == Change::Insert && r.state == State::Deleted) {
        // A new row deleted while its insert was on its way: not stored, it
        // goes; perhaps stored, its deletion follows with the values sent.
        if (!uncertain) {
            rows_.removeAt(i);
            return;
        }
        std::copy(std::begin(r.values), std::end(r.values), std::begin(r.read));
    }
    r.refusal = text;
    r.uncertain = r.uncertain || (uncertain && change.kind == Change::Insert);
}

QVector<TConstantOutcome> SendConstantChanges(TDbSession& session, const QVector<TConstantsCopy::Change>& changes) {
    QVector<TConstantOutcome> outcomes;
    // Each change on its own: one the server refuses keeps its mark and does
    // not hold back the others.
    for (const TConstantsCopy::Change& c : changes) {
        const QString& sql = c.kind == TConstantsCopy::Change::Insert   ? Sql::InsertConstant
                             : c.kind == TConstantsCopy::Change::Update ? Sql::UpdateConstant
                                                                        : Sql::DeleteConstant;
        TConstantOutcome o;
        try {
            // An update that changes no row may find the row already as wanted
            // (someone made the same change meanwhile): that is saved, not lost.
            if (session.Execute(sql, c.values, TStatementKind::Command) == 0 &&
                !(c.kind == TConstantsCopy::Change::Update &&
                  session.Exists(Sql::FindConstant, c.values.mid(0, TConstantsCopy::FieldCount))))
                o.refusal =
                    QStringLiteral("запись не найдена в базе данных: ее изменили или удалили после чтения");
        } catch (const EDatabaseError& e) {
            o.uncertain = e.MaybeExecuted() && c.kind == TConstantsCopy::Change::Insert;
            o.refusal = o.uncertain ? QStringLiteral(
                                          "связь с сервером прервалась, когда новая запись уже была отправлена; "
                                          "сохранена ли она, неизвестно. Проверьте константы после "
                                          "перезапуска программы: \"Сохранить изменения\" отправит ее еще раз")
                                    : e.Text();
        }
        outcomes.append(o);
    }
    return outcomes;
}

QString TakeConstantOutcomes(TConstantsCopy& copy, const QVector<TConstantsCopy::Change>& changes,
                             const QVector<TConstantOutcome>& outcomes) {
    QVector<TConstantsCopy::Change> done;
    QString first;
    int refused = 0;
    for (int i = 0; i < changes.size(); ++i) {
        const TConstantsCopy::Change& c = changes[i];
        const TConstantOutcome o = i < outcomes.size() ? outcomes[i] : TConstantOutcome{QStringLiteral("нет ответа"), false};
        if (o.refusal.isEmpty()) {
            done.append(c);
            continue;
        }
        copy.Refused(c, o.refusal, o.uncertain);
        if (refused++ == 0)
            first = o.refusal;
    }
    for (const TConstantsCopy::Change& c : done)
        copy.Applied(c);
    if (refused == 0)
        return QString();
    return refused == 1 ? QStringLiteral("Изменение не сохранено: %1").arg(first)
                        : QStringLiteral("Не сохранено изменений: %1. %2").arg(refused).arg(first);
}

// ---------------------------------------------------------------------------
// The window

TFormConfig::TFormConfig(TAppContext& context, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      context_(context) {
    setObjectName(QStringLiteral("FormConfig"));
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ColorToQColor(clNavy));
    pal.setColor(QPalette::ButtonText, ColorToQColor(clNavy));
    setPalette(pal);

    layout_ = LoadLayout(this, QString::fromLatin1(kLayoutFile));
    setFixedSize(size());
    PageControl1 = layout_.Get<TPageControl>(QStringLiteral("PageControl1"));
    TabSheet1 = layout_.Get<TTabSheet>(QStringLiteral("TabSheet1"));
    TabSheet2 = layout_.Get<TTabSheet>(QStringLiteral("TabSheet2"));
    TabSheet3 = layout_.Get<TTabSheet>(QStringLiteral("TabSheet3"));
    StartChangeLabel = layout_.Get<TLabel>(QStringLiteral("StartChangeLabel"));
    StartChangeDayLabel = layout_.Get<TLabel>(QStringLiteral("StartChangeDayLabel"));
    EditMySQL_Host = layout_.Get<TEdit>(QStringLiteral("EditMySQL_Host"));
    EditMySQL_Login = layout_.Get<TEdit>(QStringLiteral("EditMySQL_Login"));
    EditMySQL_Password = layout_.Get<TEdit>(QStringLiteral("EditMySQL_Password"));
    CheckBoxSavePassword = layout_.Get<TCheckBox>(QStringLiteral("CheckBoxSavePassword"));
    CheckBoxShutdownOnExit = layout_.Get<TCheckBox>(QStringLiteral("CheckBoxShutdownOnExit"));
    ButIncHout = layout_.Get<TButton>(QStringLiteral("ButIncHout"));
    ButDecHour = layout_.Get<TButton>(QStringLiteral("ButDecHour"));
    ButIncDay = layout_.Get<TButton>(QStringLiteral("ButIncDay"));
    ButDecDay = layout_.Get<TButton>(QStringLiteral("ButDecDay"));
    ButApplyGeneralPage = layout_.Get<TButton>(QStringLiteral("ButApplyGeneralPage"));
    ButMySQL_Test = layout_.Get<TButton>(QStringLiteral("ButMySQL_Test"));
    ButSaveConst = layout_.Get<TButton>(QStringLiteral("ButSaveConst"));
    ButApplyNewColors = layout_.Get<TButton>(QStringLiteral("ButApplyNewColors"));
    ButColorConfigOn = layout_.Get<TButton>(QStringLiteral("ButColorConfigOn"));
    ButColorConfigOff = layout_.Get<TButton>(QStringLiteral("ButColorConfigOff"));
    ButClose = layout_.Get<TButton>(QStringLiteral("ButClose"));
    DBGridEh2 = layout_.Get<TDBGridEh>(QStringLiteral("DBGridEh2"));
    // The alarms' page, when the program has alarms.
    if (TAlarmService* alarms = context.Alarms()) {
        AlarmPage = new TAlarmConfigPage(alarms, PageControl1);
        PageControl1->addTab(AlarmPage, QStringLiteral("Сигнализация"));
        connect(PageControl1, &QTabWidget::currentChanged, AlarmPage, [this](int) {
            if (PageControl1->currentWidget() == AlarmPage)
                AlarmPage->Load();
        });
    }

    SQLConnectionTest = new TSQLConnection(this);
    SQLConnectionTest->setObjectName(QStringLiteral("SQLConnectionTest"));
    SQLConnectionTest->DriverName = QStringLiteral("MySQL");
    SQLConnectionTest->ConnectionName = QStringLiteral("MySQLConnection");
    SQLConnectionTest->LoginPrompt = false;

    DBGridEh2->SetDataSource(&ClientDataSetConst);
    DBGridEh2->OnRowPosted = TNotifyEvent([this](QObject*) { ApplyConstants(); });
    DBGridEh2->OnRowLeft = [this](int row) {
        if (ClientDataSetConst.CancelIfEmpty(row))
            DBGridEh2->DataRowRemoved(row);
    };

    // The page shown first; afterwards the page last used.
    PageControl1->SetActivePage(TabSheet3);
    LoadColors();
}

TFormConfig::~TFormConfig() {
    if (FormConfig == this)
        FormConfig = nullptr;
}

void TFormConfig::done(int result) {
    DBGridEh2->PostEditor();
    QDialog::done(result);
}

int TFormConfig::Execute() {
    FormShow();
    return Plat().ExecDialog(*this);
}

void TFormConfig::ShowShiftLabels() {
    StartChangeDayLabel->SetCaption(QString::number(DateIncrement));
    StartChangeLabel->SetCaption(ShiftHourText(FirstChangeStart));
    EditedShiftHour = FirstChangeStart;
}

void TFormConfig::FormShow() {
    ShowShiftLabels();
    OpenConstants();
    // The page that is shown runs its own showing, as a page does when the
    // dialog opens on it.
    if (TTabSheet* page = PageControl1->ActivePage())
        page->OnShow()(page);
}

void TFormConfig::OpenConstants() {
    if (ClientDataSetConst.Active() || !context_.Connection() || (constantsRead_ && constantsRead_->Opening()))
        return;
    // Read once, the first time the dialog is shown; later showings keep the
    // local copy with the changes applied since. On a closed connection the
    // read connects it first. The dialog is up meanwhile; the page fills when
    // the rows have come.
    constantsRead_ =
        std::make_unique<TSQLClientDataSet>(context_.Connection(), Sql::Constants, TStatementKind::Command);
    constantsRead_->DeclaredFields = {QStringLiteral("ConstName"), QStringLiteral("ConstVal"),
                                      QStringLiteral("Comment")};
    DBGridEh2->setCursor(Qt::BusyCursor);
    constantsRead_->Open([this](const EDatabaseError* e) {
        DBGridEh2->unsetCursor();
        if (e) {
            qCWarning(lcOrdal) << "constants not read:" << e->Text();
            ShowError(e->Text());
            return;
        }
        ClientDataSetConst.Load(constantsRead_->Table());
        constantsRead_->Close();
        DBGridEh2->SetDataSource(&ClientDataSetConst); // on the first row
    });
}

void TFormConfig::ConstantsChanged(int currentRow) {
    const int column = DBGridEh2->currentIndex().isValid() ? DBGridEh2->currentIndex().column() : 0;
    DBGridEh2->DataReset();
    if (currentRow >= 0 && ClientDataSetConst.RowCount() > 0)
        DBGridEh2->setCurrentIndex(
            DBGridEh2->Model()->index(std::min(currentRow, ClientDataSetConst.RowCount() - 1), column));
}

void TFormConfig::ApplyConstants(bool explicitSave) {
    if (!context_.Connection() || !ClientDataSetConst.HasPendingChanges(explicitSave))
        return;
    if (savingConstants_) {
        // One save at a time: the next one takes what is pending then.
        saveAgain_ = true;
        saveAgainExplicit_ = saveAgainExplicit_ || explicitSave;
        return;
    }
    const QVector<TConstantsCopy::Change> changes = ClientDataSetConst.PendingChanges(explicitSave);
    // The rows stay as they are while their changes are on the way: the grid
    // takes no edits until the answer has come.
    savingConstants_ = true;
    ClientDataSetConst.Sending(changes);
    DBGridEh2->setEnabled(false);
    ButSaveConst->setEnabled(false);
    context_.Connection()->Post<QVector<TConstantOutcome>>(
        TSessionRole::Live, this,
        [changes](TDbSession& session) { return SendConstantChanges(session, changes); },
        [this, changes](TDbReply<QVector<TConstantOutcome>>& reply) {
            savingConstants_ = false;
            DBGridEh2->setEnabled(true);
            ButSaveConst->setEnabled(true);
            const QString refusal = reply.Ok() ? TakeConstantOutcomes(ClientDataSetConst, changes, *reply.value)
                                               : TakeConstantOutcomes(ClientDataSetConst, changes, {});
            ConstantsChanged(DBGridEh2->CurrentRow());
            if (!refusal.isEmpty()) {
                qCWarning(lcOrdal) << "constant change refused:" << refusal;
                ShowError(refusal);
            }
            ++constantSaves_;
            if (saveAgain_) {
                const bool again = saveAgainExplicit_;
                saveAgain_ = saveAgainExplicit_ = false;
                ApplyConstants(again);
            }
        });
}

// ---- page "Общие" ----

void TFormConfig::TabSheet1Show(QObject*) {
    SetGeneralPage();
}

void TFormConfig::SetGeneralPage() {
    const TMainConfig& config = context_.Config();
    EditMySQL_Host->SetText(config.MySQLHost);
    EditMySQL_Login->SetText(config.MySQLLogin);
    CheckBoxSavePassword->SetChecked(config.SavePassword);
    EditMySQL_Password->setEnabled(config.SavePassword);
    ShowShiftLabels();
    CheckBoxShutdownOnExit->SetChecked(ShutdownOnExit);
}

void TFormConfig::ButIncHoutClick(QObject*) {
    EditedShiftHour = NextShiftHour(EditedShiftHour);
    StartChangeLabel->SetCaption(ShiftHourText(EditedShiftHour));
}

void TFormConfig::ButDecHourClick(QObject*) {
    EditedShiftHour = PrevShiftHour(EditedShiftHour);
    StartChangeLabel->SetCaption(ShiftHourText(EditedShiftHour));
}

void TFormConfig::ButIncDayClick(QObject*) {
    StartChangeDayLabel->SetCaption(
        QString::number(IncDayOffset(StrToIntDef(StartChangeDayLabel->GetCaption(), 0))));
}

void TFormConfig::ButDecDayClick(QObject*) {
    StartChangeDayLabel->SetCaption(
        QString::number(DecDayOffset(StrToIntDef(StartChangeDayLabel->GetCaption(), 0))));
}

void TFormConfig::CheckBoxSavePasswordClick(QObject*) {
    EditMySQL_Password->setEnabled(CheckBoxSavePassword->GetChecked());
}

void TFormConfig::ButApplyGeneralPageClick(QObject*) {
    // Kept in memory until the program is left; the running connection stays
    // as it is, the new settings take effect at the next start.
    DateIncrement = StrToIntDef(StartChangeDayLabel->GetCaption(), DateIncrement);
    FirstChangeStart = EditedShiftHour;
    ShutdownOnExit = CheckBoxShutdownOnExit->GetChecked();
    TMainConfig& config = context_.Config();
    config.MySQLHost = EditMySQL_Host->GetText();
    config.MySQLLogin = EditMySQL_Login->GetText();
    config.SavePassword = CheckBoxSavePassword->GetChecked();
    if (config.SavePassword)
        config.MySQLPassword = EditMySQL_Password->GetText();
}

void TFormConfig::ButMySQL_TestClick(QObject*) {
    if (!context_.Connection() || testing_)
        return;
    // A connection of its own: the program's connection is never touched.
    SQLConnectionTest->Close();
    const TSQLConnection& program = *context_.Connection();
    SQLConnectionTest->DriverName = program.DriverName;
    SQLConnectionTest->ConnectionName = program.ConnectionName;
    SQLConnectionTest->Params = program.Params;
    auto set = [this](const QString& name, const QString& value) {
        const QString prefix = name + QLatin1Char('=');
        for (QString& line : SQLConnectionTest->Params)
            if (line.startsWith(prefix)) {
                line = prefix + value;
                return;
            }
        SQLConnectionTest->Params.append(prefix + value);
    };
    set(QStringLiteral("HostName"), EditMySQL_Host->GetText());
    set(QStringLiteral("User_Name"), EditMySQL_Login->GetText());
    set(QStringLiteral("Password"), EditMySQL_Password->GetText());
    if (context_.Config().MySQLVersion == 5) {
        SQLConnectionTest->GetDriverFunc = QStringLiteral("getSQLDriverMYSQL50");
        SQLConnectionTest->LibraryName = QStringLiteral("dbxopenmysql50.dll");
        SQLConnectionTest->VendorLib = QStringLiteral("libmySQL5.dll");
    } else {
        SQLConnectionTest->GetDriverFunc = QStringLiteral("getSQLDriverMYSQL");
        SQLConnectionTest->LibraryName = QStringLiteral("dbexpmysql.dll");
        SQLConnectionTest->VendorLib = QStringLiteral("libmySQL4.dll");
    }
    // The dialog goes on answering while the server is tried; the button
    // waits for the outcome.
    testing_ = true;
    ButMySQL_Test->setEnabled(false);
    setCursor(Qt::BusyCursor);
    SQLConnectionTest->Open(this, [this](const EDatabaseError* e) {
        testing_ = false;
        ButMySQL_Test->setEnabled(true);
        unsetCursor();
        if (e) {
            qCInfo(lcOrdal) << "connection test failed:" << e->Text();
            Plat().MessageBox(QStringLiteral("Не удалось подключиться к MySQL серверу."),
                              QStringLiteral("Ошибка"), QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok);
            return;
        }
        Plat().MessageBox(QStringLiteral("Подключение к серверу успешно установлено."),
                          QStringLiteral("Тест подключения"), QMessageBox::Information, QMessageBox::Ok,
                          QMessageBox::Ok);
        SQLConnectionTest->Close();
    });
}

// ---- page "Константы" ----

void TFormConfig::NavFirstClick(QObject*) {
    DBGridEh2->SetCurrentRow(0);
}

void TFormConfig::NavPriorClick(QObject*) {
    DBGridEh2->SetCurrentRow(std::max(0, DBGridEh2->CurrentRow() - 1));
}

void TFormConfig::NavNextClick(QObject*) {
    DBGridEh2->SetCurrentRow(std::min(ClientDataSetConst.RowCount() - 1, DBGridEh2->CurrentRow() + 1));
}

void TFormConfig::NavLastClick(QObject*) {
    DBGridEh2->SetCurrentRow(ClientDataSetConst.RowCount() - 1);
}

void TFormConfig::NavInsertClick(QObject*) {
    if (!ClientDataSetConst.Active())
        return;
    const int at = ClientDataSetConst.Insert(DBGridEh2->CurrentRow() < 0 ? 0 : DBGridEh2->CurrentRow());
    DBGridEh2->DataRowInserted(at);
    const QModelIndex name = DBGridEh2->Model()->index(at, 0);
    DBGridEh2->setCurrentIndex(name);
    DBGridEh2->setFocus();
    DBGridEh2->edit(name);
}

void TFormConfig::NavDeleteClick(QObject*) {
    const int row = DBGridEh2->CurrentRow();
    if (row < 0 || row >= ClientDataSetConst.RowCount() ||
        ClientDataSetConst.At(row).state == TConstantsCopy::State::Deleted)
        return;
    if (Plat().MessageBox(QStringLiteral("Удалить запись?"), QStringLiteral("Подтверждение"),
                          QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                          QMessageBox::No) != QMessageBox::Yes)
        return;
    if (ClientDataSetConst.Delete(row)) {
        DBGridEh2->DataRowRemoved(row);
        return;
    }
    DBGridEh2->DataRowChanged(row);
    ApplyConstants();
}

void TFormConfig::ButSaveConstClick(QObject*) {
    ApplyConstants(true);
}

// ---- page "Оформление" ----

QList<TOutField*> TFormConfig::ColorFields() const {
    QList<TOutField*> fields;
    for (QObject* c : Components(this))
        if (auto* f = qobject_cast<TOutField*>(c);
            f && f->GetTag() > 9 && f->objectName().startsWith(QLatin1String("OutField")))
            fields.append(f);
    return fields;
}

void TFormConfig::TabSheet3Show(QObject*) {
    ApplyColorFields();
}

void TFormConfig::ApplyColorFields() {
    for (TOutField* f : ColorFields())
        if (const auto slot = ColorSlotOfTag(f->GetTag()))
            f->Brush()->SetColor(slot->off ? EditedOffColors[size_t(slot->index)]
                                           : EditedOnColors[size_t(slot->index)]);
}

void TFormConfig::OutFieldClick(QObject* sender) {
    auto* field = qobject_cast<TOutField*>(sender);
    const auto slot = field ? ColorSlotOfTag(field->GetTag()) : std::nullopt;
    if (!slot)
        return;
    TColor c = field->Brush()->GetColor();
    if (!Plat().ChooseColor(c, this))
        return;
    (slot->off ? EditedOffColors : EditedOnColors)[size_t(slot->index)] = c;
    field->Brush()->SetColor(c);
}

void TFormConfig::LoadColors() {
    if (context_.IniFileName().isEmpty())
        return;
    const IniFile ini(context_.IniFileName());
    LoadStateColors(ini, QStringLiteral("OnColors"), OnColors);
    LoadStateColors(ini, QStringLiteral("OffColors"), OffColors);
    const QString section = QStringLiteral("AdvLabels");
    AdvLabelsFont.name = ini.ReadString(section, QStringLiteral("FontName"), AdvLabelsFont.name);
    AdvLabelsFont.size = ini.ReadInteger(section, QStringLiteral("FontSize"), AdvLabelsFont.size);
    AdvLabelsFont.color = ini.ReadInteger(section, QStringLiteral("FontColor"), AdvLabelsFont.color);
    EditedOnColors = OnColors;
    EditedOffColors = OffColors;
}

void TFormConfig::SaveColors() {
    if (context_.IniFileName().isEmpty())
        return;
    IniFile ini(context_.IniFileName());
    ini.Begin(); // both sets and the labels' font reach the file together
    SaveStateColors(ini, QStringLiteral("OnColors"), OnColors);
    SaveStateColors(ini, QStringLiteral("OffColors"), OffColors);
    const QString section = QStringLiteral("AdvLabels");
    ini.WriteString(section, QStringLiteral("FontName"), AdvLabelsFont.name);
    ini.WriteInteger(section, QStringLiteral("FontSize"), AdvLabelsFont.size);
    ini.WriteInteger(section, QStringLiteral("FontColor"), AdvLabelsFont.color);
    ini.Commit();
}

void TFormConfig::ButApplyNewColorsClick(QObject*) {
    OnColors = EditedOnColors;
    OffColors = EditedOffColors;
    try {
        SaveColors();
    } catch (const IniFileError& e) {
        qCWarning(lcOrdal) << "colours not saved:" << e.what();
        ShowError(
            QStringLiteral("Цвета не сохранены в файле конфигурации: %1").arg(QString::fromUtf8(e.what())));
    }
    if (FormMnemo)
        FormMnemo->ApplyStateColors();
}

void TFormConfig::ButColorConfigOnClick(QObject*) {
    SetInteractiveSetupMode(true);
}

void TFormConfig::ButColorConfigOffClick(QObject*) {
    SetInteractiveSetupMode(false);
}
