#include "Dbgrideh.h"

#include "DateTime.h"
#include "Layout.h"
#include "NumText.h"
#include "Platform.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <cmath>

ORDAL_REGISTER_CLASS(TDBGridEh)
ORDAL_REGISTER_CLASS(TColumnEh)

namespace {

Qt::Alignment AlignmentOf(TAlignment a) {
    switch (a) {
    case taRightJustify:
        return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case taLeftJustify:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// Symbols of the indicator column.
QString IndicatorText(TGridData::RowMark mark, bool current) {
    switch (mark) {
    case TGridData::RowMark::Inserting:
        return QStringLiteral("✱");
    case TGridData::RowMark::NotSaved:
    case TGridData::RowMark::Deleted:
        return QStringLiteral("✖");
    case TGridData::RowMark::None:
        break;
    }
    return current ? QStringLiteral("▶") : QString();
}

} // namespace

// The editor of a cell keeps to the field's length.
class TGridDelegate : public QStyledItemDelegate {
public:
    TGridDelegate(TDBGridEh* grid, QObject* parent) : QStyledItemDelegate(parent), grid_(grid) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* w = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            const TGridData* source = grid_->DataSource();
            const int field = grid_->Model()->FieldOf(index.column());
            const int max = source && field >= 0 ? source->MaxLength(field) : 0;
            if (max > 0)
                edit->setMaxLength(max);
            edit->setFrame(false);
        }
        grid_->editor_ = w;
        return w;
    }

private:
    TDBGridEh* grid_;
};

// ---------------------------------------------------------------------------
// Columns

void TColumnEh::SetFieldName(const QString& value) {
    if (fieldName_ == value)
        return;
    fieldName_ = value;
    Q_EMIT Changed();
}

void TColumnEh::SetTitle(const QString& value) {
    if (title_ == value)
        return;
    title_ = value;
    Q_EMIT Changed();
}

void TColumnEh::SetWidth(int value) {
    value = std::max(0, value);
    if (width_ == value)
        return;
    width_ = value;
    Q_EMIT Changed();
}

void TColumnEh::SetAlignment(TAlignment value) {
    if (alignment_ == value)
        return;
    alignment_ = value;
    Q_EMIT Changed();
}

void TColumnEh::SetTitleAlignment(TAlignment value) {
    if (titleAlignment_ == value)
        return;
    titleAlignment_ = value;
    Q_EMIT Changed();
}

// ---------------------------------------------------------------------------
// Cells of a result

QString GridCellText(const TResultTable& table, int row, int column) {
    if (table.IsNull(row, column))
        return QString();
    switch (table.ColumnType(column)) {
    case TResultTable::Type::DateTime:
        return FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn:ss"), table.Number(row, column));
    case TResultTable::Type::Number:
        return FloatToStr(table.Number(row, column));
    case TResultTable::Type::Text:
        break;
    }
    return table.Text(row, column);
}

QString TResultTableData::DisplayText(int row, int field) const {
    return table_ ? GridCellText(*table_, row, field) : QString();
}

// ---------------------------------------------------------------------------
// The model

TGridModel::TGridModel(TDBGridEh* grid) : QAbstractTableModel(grid), grid_(grid) {}

void TGridModel::Resolve() {
    fieldOf_.clear();
    for (const TColumnEh* c : grid_->Columns())
        fieldOf_.append(data_ ? data_->FieldIndex(c->GetFieldName()) : -1);
}

void TGridModel::SetData(TGridData* source) {
    beginResetModel();
    data_ = source;
    current_ = -1;
    Resolve();
    endResetModel();
}

void TGridModel::Reset() {
    beginResetModel();
    Resolve();
    if (current_ >= rowCount())
        current_ = -1;
    endResetModel();
}

void TGridModel::RowInserted(int row) {
    beginInsertRows(QModelIndex(), row, row);
    endInsertRows();
}

void TGridModel::RowRemoved(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    endRemoveRows();
}

void TGridModel::RowChanged(int row) {
    if (row < 0 || row >= rowCount())
        return;
    Q_EMIT dataChanged(index(row, 0), index(row, std::max(0, columnCount() - 1)));
    Q_EMIT headerDataChanged(Qt::Vertical, row, row);
}

void TGridModel::SetCurrentRow(int row) {
    if (current_ == row)
        return;
    const int old = current_;
    current_ = row;
    if (old >= 0 && old < rowCount())
        Q_EMIT headerDataChanged(Qt::Vertical, old, old);
    if (row >= 0 && row < rowCount())
        Q_EMIT headerDataChanged(Qt::Vertical, row, row);
}

int TGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !data_ ? 0 : data_->RowCount();
}

int TGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(grid_->Columns().size());
}

QVariant TGridModel::data(const QModelIndex& index, int role) const {
    if (!data_ || !index.isValid())
        return QVariant();
    const int field = FieldOf(index.column());
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return field >= 0 ? data_->DisplayText(row, field) : QString();
    case Qt::EditRole:
        return field >= 0 ? data_->EditText(row, field) : QString();
    case Qt::TextAlignmentRole:
        return int(AlignmentOf(grid_->Columns()[index.column()]->GetAlignment()));
    case Qt::BackgroundRole:
        switch (data_->Mark(row)) {
        case TGridData::RowMark::NotSaved:
        case TGridData::RowMark::Deleted:
            return QColor(0xFF, 0xD0, 0xD0);
        case TGridData::RowMark::Inserting:
            return QColor(0xFF, 0xF4, 0xC0);
        case TGridData::RowMark::None:
            break;
        }
        return QVariant();
    case Qt::FontRole:
        if (data_->Mark(row) == TGridData::RowMark::Deleted) {
            QFont f = grid_->font();
            f.setStrikeOut(true);
            return f;
        }
        return QVariant();
    case Qt::ToolTipRole:
        return data_->MarkHint(row);
    default:
        return QVariant();
    }
}

QVariant TGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= grid_->Columns().size())
            return QVariant();
        const TColumnEh* c = grid_->Columns()[section];
        if (role == Qt::DisplayRole)
            return c->ShownTitle();
        if (role == Qt::TextAlignmentRole)
            return int(AlignmentOf(c->GetTitleAlignment())) |
                   (grid_->GetTitleLines() > 1 ? int(Qt::TextWordWrap) : 0);
        return QVariant();
    }
    if (!data_ || section < 0 || section >= rowCount())
        return QVariant();
    if (role == Qt::DisplayRole)
        return IndicatorText(data_->Mark(section), section == current_);
    if (role == Qt::ToolTipRole)
        return data_->MarkHint(section);
    if (role == Qt::ForegroundRole && data_->Mark(section) != TGridData::RowMark::None)
        return QColor(Qt::red);
    if (role == Qt::BackgroundRole && data_->Mark(section) != TGridData::RowMark::None)
        return QColor(0xFF, 0xD0, 0xD0); // seen even while the row is selected
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return QVariant();
}

Qt::ItemFlags TGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (!index.isValid() || !data_ || grid_->GetReadOnly())
        return f;
    const int field = FieldOf(index.column());
    if (field >= 0 && data_->CanEdit(field) && data_->Mark(index.row()) != TGridData::RowMark::Deleted)
        f |= Qt::ItemIsEditable;
    return f;
}

bool TGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !data_ || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const int field = FieldOf(index.column());
    const int row = index.row();
    const QString text = value.toString();
    if (text == data_->EditText(row, field))
        return true; // nothing typed: nothing to post
    QString error;
    if (!data_->SetText(row, field, text, error)) {
        // Not from inside the editor's commit: a modal box there upsets the view.
        Later(grid_, [error] { ShowError(error); });
        return false;
    }
    RowChanged(row);
    QPointer<TDBGridEh> grid(grid_);
    Later(grid_, [grid, row] {
        if (grid)
            grid->Posted(row);
    });
    return true;
}

// ---------------------------------------------------------------------------
// The grid

TDBGridEh::TDBGridEh(QWidget* owner)
    : QTableView(owner), TStdControl(this), model_(new TGridModel(this)), frozen_(new QTableView(this)),
      titleFont_(new TFont(this)) {
    setModel(model_);
    setItemDelegate(new TGridDelegate(this, this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionsMovable(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionsClickable(false);
    verticalHeader()->setMinimumWidth(18);
    verticalHeader()->hide();

    // The fixed columns: a second view over the same rows, lying over the left
    // edge of this one and scrolling up and down with it.
    frozen_->setObjectName(QStringLiteral("FrozenView"));
    frozen_->setModel(model_);
    frozen_->setSelectionModel(selectionModel());
    frozen_->setItemDelegate(new TGridDelegate(this, frozen_));
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->verticalHeader()->hide();
    frozen_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    frozen_->horizontalHeader()->setHighlightSections(false);
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setSelectionBehavior(QAbstractItemView::SelectRows);
    frozen_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    frozen_->setWordWrap(false);
    frozen_->setEditTriggers(editTriggers());
    frozen_->setStyleSheet(
        QStringLiteral("QTableView { border: none; border-right: 1px solid palette(mid); }"));
    frozen_->hide();
    viewport()->stackUnder(frozen_);
    connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (applying_ || section >= columns_.size())
            return;
        columns_[section]->SetWidth(size);
        if (section < frozenCols_)
            frozen_->setColumnWidth(section, size);
        UpdateFrozenGeometry();
    });
    // A reset forgets the sections' widths and hidden states.
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { ApplyColumns(); });
    connect(titleFont_, &TFont::Changed, this, [this] { ApplyFonts(); });
    connect(Font(), &TFont::Changed, this, [this] { ApplyFonts(); });
    ApplyFonts();
}

void TDBGridEh::InsertComponent(QObject* component) {
    auto* c = qobject_cast<TColumnEh*>(component);
    if (!c)
        return;
    c->setParent(this);
    columns_.append(c);
    connect(c, &TColumnEh::Changed, this, [this] {
        if (!applying_)
            ApplyColumns();
    });
    model_->Reset();
}

TColumnEh* TDBGridEh::ColumnByField(const QString& fieldName) const {
    for (TColumnEh* c : columns_)
        if (c->GetFieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

void TDBGridEh::SetReadOnly(bool value) {
    readOnly_ = value;
}

void TDBGridEh::SetFrozenCols(int value) {
    frozenCols_ = std::max(0, value);
    ApplyColumns();
}

void TDBGridEh::SetShowIndicator(bool value) {
    showIndicator_ = value;
    verticalHeader()->setVisible(value);
    UpdateFrozenGeometry();
}

void TDBGridEh::SetRowHeight(int value) {
    rowHeight_ = std::max(0, value);
    ApplyFonts();
}

void TDBGridEh::SetTitleLines(int value) {
    titleLines_ = std::max(1, value);
    ApplyFonts();
}

void TDBGridEh::ApplyFonts() {
    const QFont cell = Font()->ToQFont();
    setFont(cell);
    frozen_->setFont(cell);
    QPalette pal = palette();
    pal.setColor(QPalette::Text, Font()->ToQColor());
    setPalette(pal);
    frozen_->setPalette(pal);
    const QFont title = titleFont_->ToQFont();
    for (QHeaderView* h : {horizontalHeader(), frozen_->horizontalHeader()}) {
        h->setFont(title);
        QPalette hp = h->palette();
        hp.setColor(QPalette::ButtonText, titleFont_->ToQColor());
        hp.setColor(QPalette::WindowText, titleFont_->ToQColor());
        h->setPalette(hp);
        h->setFixedHeight(QFontMetrics(title).height() * titleLines_ + 10);
    }
    verticalHeader()->setFont(cell);
    const int height = rowHeight_ > 0 ? rowHeight_ : QFontMetrics(cell).height() + 6;
    // Both views take the same row height, or the fixed columns drift off
    // their rows as the grid scrolls.
    for (QHeaderView* h : {verticalHeader(), frozen_->verticalHeader()}) {
        h->setMinimumSectionSize(height);
        h->setDefaultSectionSize(height);
    }
    UpdateFrozenGeometry();
}

void TDBGridEh::ApplyColumns() {
    applying_ = true;
    for (int i = 0; i < columns_.size(); ++i) {
        setColumnWidth(i, columns_[i]->GetWidth());
        frozen_->setColumnWidth(i, columns_[i]->GetWidth());
        frozen_->setColumnHidden(i, i >= frozenCols_);
    }
    applying_ = false;
    frozen_->setVisible(frozenCols_ > 0 && !columns_.isEmpty());
    UpdateFrozenGeometry();
}

void TDBGridEh::UpdateFrozenGeometry() {
    if (!frozen_->isVisibleTo(this))
        return;
    int width = 0;
    for (int i = 0; i < std::min<int>(frozenCols_, columns_.size()); ++i)
        width += columnWidth(i);
    const int left = (verticalHeader()->isVisibleTo(this) ? verticalHeader()->width() : 0) + frameWidth();
    frozen_->setGeometry(left, frameWidth(), width, viewport()->height() + horizontalHeader()->height());
}

void TDBGridEh::updateGeometries() {
    QTableView::updateGeometries();
    UpdateFrozenGeometry();
}

void TDBGridEh::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    UpdateFrozenGeometry();
}

QModelIndex TDBGridEh::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = QTableView::moveCursor(cursorAction, modifiers);
    // A cell that moves under the fixed columns is scrolled out from under them.
    if (frozenCols_ > 0 && cursorAction == MoveLeft && current.column() >= frozenCols_) {
        int fixed = 0;
        for (int i = 0; i < frozenCols_; ++i)
            fixed += columnWidth(i);
        const int x = visualRect(current).topLeft().x();
        if (x < fixed)
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() + x - fixed);
    }
    return current;
}

void TDBGridEh::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (index.column() >= frozenCols_)
        QTableView::scrollTo(index, hint);
}

void TDBGridEh::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    model_->SetCurrentRow(current.isValid() ? current.row() : -1);
    if (OnRowLeft && previous.isValid() && (!current.isValid() || current.row() != previous.row())) {
        const int left = previous.row();
        QPointer<TDBGridEh> grid(this);
        Later(this, [grid, left] {
            if (grid && grid->OnRowLeft)
                grid->OnRowLeft(left);
        });
    }
}

void TDBGridEh::SetDataSource(TGridData* source) {
    model_->SetData(source);
    if (source && source->RowCount() > 0)
        setCurrentIndex(model_->index(0, std::min<int>(frozenCols_, std::max<int>(0, columns_.size() - 1))));
}

void TDBGridEh::SetCurrentRow(int row) {
    if (row < 0 || row >= model_->rowCount()) {
        setCurrentIndex(QModelIndex());
        return;
    }
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    setCurrentIndex(model_->index(row, column));
}

void TDBGridEh::PostEditor() {
    if (!Editing() || !editor_)
        return;
    QWidget* editor = editor_;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void TDBGridEh::Posted(int row) {
    lastPosted_ = row;
    OnRowPosted(this);
}

// ---------------------------------------------------------------------------
// Printing

TPrintDBGridEh::TPrintDBGridEh(TDBGridEh* grid, QObject* parent) : QObject(parent), grid_(grid) {
    PageHeaderFont = QFont(QStringLiteral("MS Sans Serif"));
    PageHeaderFont.setPointSize(8);
}

QString TPrintDBGridEh::HeadingWith(const QList<std::pair<QString, QString>>& substitutions) const {
    QString text = BeforeGridText;
    for (const auto& [word, value] : substitutions)
        text.replace(word, value.toHtmlEscaped());
    return text;
}

void TPrintDBGridEh::Print(QPrinter* printer, const QString& heading) {
    pages_ = 0;
    QPainter p;
    if (!p.begin(printer))
        return;
    const TGridModel* model = grid_->Model();
    const QList<TColumnEh*>& columns = grid_->Columns();
    const int rows = model->rowCount();

    // Lengths below are in pixels of a 96-dpi screen, as the grid has them.
    const double device = printer->resolution() / 96.0;
    const QRectF paper = printer->pageLayout().paintRectPixels(printer->resolution());
    const double pageW = paper.width() / device, pageH = paper.height() / device;

    const QFont cellFont = grid_->Font()->ToQFont(), titleFont = grid_->TitleFont()->ToQFont();
    const QFontMetrics cellMetrics(cellFont), titleMetrics(titleFont);
    const int pad = 4;
    // Each column as wide as its widest text, never wider than on the screen:
    // a message column stretched to the screen would shrink the whole print.
    QVector<double> widths;
    double total = 0;
    for (int c = 0; c < columns.size(); ++c) {
        int widest = titleMetrics.horizontalAdvance(columns[c]->ShownTitle());
        for (int r = 0; r < rows; ++r)
            widest = std::max(widest, cellMetrics.horizontalAdvance(
                                          model->data(model->index(r, c), Qt::DisplayRole).toString()));
        const double w = std::min<double>(std::max(columns[c]->GetWidth(), 16), widest + 2 * pad);
        widths.append(w);
        total += w;
    }

    // The page header's font in the same pixels (a point size would be taken
    // at the printer's resolution and then scaled once more).
    QFont bandFont = PageHeaderFont;
    if (bandFont.pointSizeF() > 0)
        bandFont.setPixelSize(std::max(1, qRound(bandFont.pointSizeF() * 96 / 72)));
    const double band = QFontMetricsF(bandFont).height() + 6;
    const double bodyTop = band + 4, bodyH = pageH - 2 * band - 8;
    // Fitted to the page width: shrunk when wider, never enlarged.
    const double fit = total > pageW ? pageW / total : 1.0;
    const double bodyW = pageW / fit;
    const double rowH = cellMetrics.height() + 6, titleH = titleMetrics.height() + 8;

    QTextDocument doc;
    doc.setHtml(heading);
    doc.setTextWidth(bodyW);
    const double headingH = doc.size().height();

    const double usable = bodyH / fit;
    const int firstRows = std::max(1, int((usable - headingH - titleH) / rowH));
    const int otherRows = std::max(1, int((usable - titleH) / rowH));
    pages_ = rows <= firstRows ? 1 : 1 + (rows - firstRows + otherRows - 1) / otherRows;

    const QColor line(0x80, 0x80, 0x80), titleBack(0xE8, 0xE8, 0xE8);
    int row = 0;
    for (int page = 1; page <= pages_; ++page) {
        if (page > 1)
            printer->newPage();
        p.resetTransform();
        p.scale(device, device);
        // Page header and footer, not shrunk with the grid.
        p.setFont(bandFont);
        p.setPen(Qt::black);
        const QRectF head(0, 0, pageW, band), foot(0, pageH - band, pageW, band);
        p.drawText(head, Qt::AlignRight | Qt::AlignVCenter, PageHeaderText);
        p.drawText(head, Qt::AlignLeft | Qt::AlignVCenter,
                   FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn"), Now()));
        p.drawText(foot, Qt::AlignHCenter | Qt::AlignVCenter,
                   QStringLiteral("Страница %1 из %2").arg(page).arg(pages_));

        p.translate(0, bodyTop);
        p.scale(fit, fit);
        double y = 0;
        if (page == 1) {
            doc.drawContents(&p);
            y = headingH;
        }
        auto cellRow = [&](double top, double height, const QFont& font, const QColor& text,
                           const QColor* back, auto&& textOf, auto&& alignOf) {
            p.setFont(font);
            double x = 0;
            for (int c = 0; c < columns.size(); ++c) {
                const QRectF cell(x, top, widths[c], height);
                if (back)
                    p.fillRect(cell, *back);
                p.setPen(QPen(line, 0));
                p.drawRect(cell);
                p.setPen(text);
                const QRectF inner = cell.adjusted(pad, 0, -pad, 0);
                p.drawText(inner, int(alignOf(c)),
                           QFontMetrics(font).elidedText(textOf(c), Qt::ElideRight, int(inner.width())));
                x += widths[c];
            }
        };
        cellRow(
            y, titleH, titleFont, grid_->TitleFont()->ToQColor(), &titleBack,
            [&](int c) { return columns[c]->ShownTitle(); },
            [&](int c) { return AlignmentOf(columns[c]->GetTitleAlignment()); });
        y += titleH;
        const int last = std::min(rows, row + (page == 1 ? firstRows : otherRows));
        for (; row < last; ++row, y += rowH)
            cellRow(
                y, rowH, cellFont, grid_->Font()->ToQColor(), nullptr,
                [&](int c) { return model->data(model->index(row, c), Qt::DisplayRole).toString(); },
                [&](int c) { return AlignmentOf(columns[c]->GetAlignment()); });
    }
    p.end();
}

void TPrintDBGridEh::Preview(const QString& heading, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(15, 10, 10, 10), QPageLayout::Millimeter);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    dialog.setWindowTitle(QStringLiteral("Предварительный просмотр"));
    // A whole page readable at once: most of the screen's height.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        dialog.resize(std::min(area.width() * 9 / 10, area.height() * 3 / 4), area.height() * 9 / 10);
    }
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this, heading](QPrinter* target) { Print(target, heading); });
    Plat().ExecDialog(dialog);
}
