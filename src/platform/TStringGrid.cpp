#include "platform/TStringGrid.h"

#include "platform/TextWidthModel.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <climits>

namespace {

const AnsiString NoCell;

QColor Real(TColor c, QPalette::ColorRole fallback)
{
    const QColor q = ColorToQColor(c);
    return q.isValid() ? q : QApplication::palette().color(fallback);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The cells

class TStringGridModel : public QAbstractTableModel
{
public:
    explicit TStringGridModel(TStringGrid *grid) : QAbstractTableModel(grid), Grid(grid) {}

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : Rows; }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : Cols; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid()) return {};
        if (role == Qt::DisplayRole) return TStringGrid::DisplayText(At(index.column(), index.row()));
        if (role == Qt::EditRole) return ToQ(At(index.column(), index.row()));
        return {};
    }

    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (!index.isValid() || role != Qt::EditRole) return false;
        const AnsiString text = FromQ(value.toString());
        Grid->SetCell(index.column(), index.row(), text);
        emit Grid->OnSetEditText(index.column(), index.row(), text);
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if ((Grid->Options() & goEditing) && index.row() >= Grid->FixedRows() && index.column() >= Grid->FixedCols())
            f |= Qt::ItemIsEditable;
        return f;
    }

    bool Inside(int col, int row) const { return col >= 0 && row >= 0 && col < Cols && row < Rows; }
    const AnsiString &At(int col, int row) const
    {
        if (Inside(col, row)) return Data[size_t(row) * size_t(Cols) + size_t(col)];
        const auto found = Outside.find({row, col});
        return found == Outside.end() ? NoCell : found->second;
    }
    AnsiString &Cell(int col, int row) { return Data[size_t(row) * size_t(Cols) + size_t(col)]; }

    void SetRows(int n)
    {
        if (n == Rows) return;
        if (n > Rows) {
            beginInsertRows({}, Rows, n - 1);
            Data.resize(size_t(n) * size_t(Cols));
            const int old = Rows;
            Rows = n;
            PullOutside(old, 0);
            endInsertRows();
        } else {
            beginRemoveRows({}, n, Rows - 1);
            Data.resize(size_t(n) * size_t(Cols));
            Rows = n;
            Outside.erase(Outside.lower_bound({n, INT_MIN}), Outside.end());
            endRemoveRows();
        }
    }

    void SetCols(int m)
    {
        if (m == Cols) return;
        if (m > Cols) beginInsertColumns({}, Cols, m - 1);
        else beginRemoveColumns({}, m, Cols - 1);
        std::vector<AnsiString> cells(size_t(Rows) * size_t(m));
        const int keep = std::min(Cols, m);
        for (int r = 0; r < Rows; ++r)
            for (int c = 0; c < keep; ++c) cells[size_t(r) * size_t(m) + size_t(c)] = std::move(Cell(c, r));
        Data.swap(cells);
        const int old = Cols;
        Cols = m;
        if (m > old) {
            PullOutside(0, old);
            endInsertColumns();
        } else {
            std::erase_if(Outside, [m](const auto &e) { return e.first.second >= m; });
            endRemoveColumns();
        }
    }

    // Cells written outside the grid that it now covers move in.
    void PullOutside(int fromRow, int fromCol)
    {
        for (auto it = Outside.lower_bound({fromRow, INT_MIN}); it != Outside.end();) {
            const auto [row, col] = it->first;
            if (Inside(col, row) && col >= fromCol) {
                Cell(col, row) = std::move(it->second);
                it = Outside.erase(it);
            } else {
                ++it;
            }
        }
    }

    void Reset(int cols, int rows, std::vector<AnsiString> &&cells)
    {
        beginResetModel();
        Data = std::move(cells);
        Data.resize(size_t(rows) * size_t(cols));
        Rows = rows;
        Cols = cols;
        Outside.clear();
        endResetModel();
    }

    void InsertRowAt(int at)
    {
        beginInsertRows({}, at, at);
        Outside.erase(Outside.lower_bound({Rows, INT_MIN}), Outside.lower_bound({Rows + 1, INT_MIN}));
        Data.insert(Data.begin() + ptrdiff_t(at) * Cols, size_t(Cols), AnsiString());
        ++Rows;
        endInsertRows();
    }

    void DeleteRowAt(int at)
    {
        beginRemoveRows({}, at, at);
        const auto first = Data.begin() + ptrdiff_t(at) * Cols;
        Data.erase(first, first + Cols);
        --Rows;
        endRemoveRows();
    }

    void InsertColumnAt(int at)
    {
        beginInsertColumns({}, at, at);
        std::erase_if(Outside, [this](const auto &e) { return e.first.second == Cols; });
        std::vector<AnsiString> cells(size_t(Rows) * size_t(Cols + 1));
        for (int r = 0; r < Rows; ++r)
            for (int c = 0; c < Cols; ++c)
                cells[size_t(r) * size_t(Cols + 1) + size_t(c < at ? c : c + 1)] = std::move(Cell(c, r));
        Data.swap(cells);
        ++Cols;
        endInsertColumns();
    }

    void DeleteColumnAt(int at)
    {
        beginRemoveColumns({}, at, at);
        std::vector<AnsiString> cells(size_t(Rows) * size_t(Cols - 1));
        for (int r = 0; r < Rows; ++r)
            for (int c = 0; c < Cols; ++c)
                if (c != at) cells[size_t(r) * size_t(Cols - 1) + size_t(c < at ? c : c - 1)] = std::move(Cell(c, r));
        Data.swap(cells);
        --Cols;
        endRemoveColumns();
    }

    TStringGrid *Grid;
    int Rows = 0, Cols = 0;
    std::vector<AnsiString> Data;
    std::map<std::pair<int, int>, AnsiString> Outside;   // (row, col) -> text
};

// ---------------------------------------------------------------------------------------------
// Painting helpers: the cells of the scrolled part, the fixed strips and their corner

class TGridDelegate : public QStyledItemDelegate
{
public:
    explicit TGridDelegate(TStringGrid *grid) : QStyledItemDelegate(grid), Grid(grid) {}
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        Grid->PaintCell(p, option.rect, index.column(), index.row());
    }

private:
    TStringGrid *Grid;
};

// A header that paints the fixed cells of its column (top strip) or row (left strip), and lets
// a fixed cell be dragged to move its column or row.
class TGridHeader : public QHeaderView
{
public:
    TGridHeader(Qt::Orientation orientation, TStringGrid *grid) : QHeaderView(orientation, grid), Grid(grid)
    {
        setSectionsClickable(false);
        setHighlightSections(false);
        setMouseTracking(true);
        setMinimumSectionSize(0);
        setMinimumSize(0, 0);
    }

    QSize sizeHint() const override
    {
        if (orientation() == Qt::Horizontal) return QSize(0, Grid->FixedRows() * Grid->DefaultRowHeight());
        return QSize(Grid->FixedWidth(), 0);
    }

protected:
    void paintSection(QPainter *p, const QRect &rect, int logical) const override
    {
        if (orientation() == Qt::Horizontal) {
            const int h = Grid->DefaultRowHeight();
            for (int r = 0; r < Grid->FixedRows(); ++r)
                Grid->PaintCell(p, QRect(rect.x(), r * h, rect.width(), h), logical, r);
        } else {
            int x = 0;
            for (int c = 0; c < Grid->FixedCols(); ++c) {
                const int w = Grid->ColWidths(c);
                Grid->PaintCell(p, QRect(x, rect.y(), w, rect.height()), c, logical);
                x += w;
            }
        }
    }

    void paintEvent(QPaintEvent *e) override
    {
        QHeaderView::paintEvent(e);
        if (DragFrom < 0 || DragTo < 0) return;
        // Where the dragged column or row would go.
        QPainter p(viewport());
        const int start = sectionViewportPosition(DragTo);
        const int at = DragTo > DragFrom ? start + sectionSize(DragTo) - 2 : start;
        const QColor mark = QApplication::palette().color(QPalette::Highlight);
        if (orientation() == Qt::Horizontal) p.fillRect(QRect(at, 0, 2, height()), mark);
        else p.fillRect(QRect(0, at, width(), 2), mark);
    }

    void mousePressEvent(QMouseEvent *e) override
    {
        const int pos = Along(e);
        const int index = logicalIndexAt(pos);
        const TGridOptions moving = orientation() == Qt::Horizontal ? goColMoving : goRowMoving;
        if (e->button() == Qt::LeftButton && index >= 0 && (Grid->Options() & moving) && !NearEdge(pos, index)) {
            DragFrom = DragTo = index;
            setCursor(Qt::ClosedHandCursor);
            return e->accept();
        }
        QHeaderView::mousePressEvent(e);
    }

    void mouseMoveEvent(QMouseEvent *e) override
    {
        Grid->HeaderMouseMove(viewport(), e);
        if (DragFrom < 0) return QHeaderView::mouseMoveEvent(e);
        DragTo = TargetAt(Along(e));
        viewport()->update();
    }

    void mouseReleaseEvent(QMouseEvent *e) override
    {
        if (DragFrom < 0) return QHeaderView::mouseReleaseEvent(e);
        const int from = DragFrom, to = TargetAt(Along(e));
        DragFrom = DragTo = -1;
        unsetCursor();
        viewport()->update();
        if (to < 0 || to == from) return;
        if (orientation() == Qt::Horizontal) Grid->MoveColumn(from, to);
        else Grid->MoveRow(from, to);
    }

private:
    int Along(const QMouseEvent *e) const
    {
        const QPoint p = e->position().toPoint();
        return orientation() == Qt::Horizontal ? p.x() : p.y();
    }

    // Near a column's edge the drag sizes the column instead of moving it.
    bool NearEdge(int pos, int index) const
    {
        if (orientation() != Qt::Horizontal || !(Grid->Options() & goColSizing)) return false;
        const int start = sectionViewportPosition(index);
        return pos - start < 4 || start + sectionSize(index) - pos < 4;
    }

    int TargetAt(int pos) const
    {
        const int index = logicalIndexAt(pos);
        if (index >= 0) return index;
        const int first = orientation() == Qt::Horizontal ? Grid->FixedCols() : Grid->FixedRows();
        const int last = (orientation() == Qt::Horizontal ? Grid->ColCount() : Grid->RowCount()) - 1;
        return pos < 0 ? std::max(first, orientation() == Qt::Horizontal ? Grid->LeftCol() : Grid->TopRow()) : last;
    }

    TStringGrid *Grid;
    int DragFrom = -1;
    int DragTo = -1;
};

class TGridCorner : public QWidget
{
public:
    explicit TGridCorner(TStringGrid *grid) : QWidget(grid), Grid(grid) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const int h = Grid->DefaultRowHeight();
        for (int r = 0; r < Grid->FixedRows(); ++r) {
            int x = 0;
            for (int c = 0; c < Grid->FixedCols(); ++c) {
                const int w = Grid->ColWidths(c);
                Grid->PaintCell(&p, QRect(x, r * h, w, h), c, r);
                x += w;
            }
        }
    }

private:
    TStringGrid *Grid;
};

// ---------------------------------------------------------------------------------------------
// TStringGrid

TStringGrid::TStringGrid(QWidget *parent) : QTableView(parent)
{
    Model = new TStringGridModel(this);
    TopStrip = new TGridHeader(Qt::Horizontal, this);
    LeftStrip = new TGridHeader(Qt::Vertical, this);
    setHorizontalHeader(TopStrip);
    setVerticalHeader(LeftStrip);
    setModel(Model);
    setItemDelegate(new TGridDelegate(this));
    Corner = new TGridCorner(this);

    setSelectionMode(NoSelection);
    setCornerButtonEnabled(false);
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerItem);
    setWordWrap(false);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    LeftStrip->setSectionResizeMode(QHeaderView::Fixed);
    LeftStrip->setDefaultSectionSize(RowHeight);
    TopStrip->setDefaultSectionSize(DefColWidth);

    connect(TopStrip, &QHeaderView::sectionResized, this, [this](int col, int, int size) {
        if (ApplyingWidths || col >= int(Widths.size()) || isColumnHidden(col)) return;
        Widths[size_t(col)] = size;   // sized by the user's drag
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit OnTopLeftChanged(); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit OnTopLeftChanged(); });

    Model->Reset(5, 5, {});
    Widths.assign(5, DefColWidth);
    SetOptions(GridOptions);
    RefreshFixed(FixedRowCount + 1);
    ApplyColumnWidths();
    ApplyHeaders();
}

TStringGrid::~TStringGrid() = default;

const AnsiString &TStringGrid::Cells(int col, int row) const { return Model->At(col, row); }

void TStringGrid::SetCell(int col, int row, const AnsiString &s)
{
    if (col < 0 || row < 0) return;
    if (Model->Inside(col, row)) {
        Model->Cell(col, row) = s;
        InvalidateCell(col, row);
    } else if (s.empty()) {
        Model->Outside.erase({row, col});
    } else {
        Model->Outside[{row, col}] = s;
    }
}

int TStringGrid::RowCount() const { return Model->Rows; }
int TStringGrid::ColCount() const { return Model->Cols; }

void TStringGrid::SetRowCount(int count)
{
    count = std::max(1, count);
    if (count == Model->Rows) return;
    Model->SetRows(count);
    if (FixedRowCount > count - 1) FixedRowCount = count - 1;
    RefreshFixed(FixedRowCount + 1);
    ClampCurrent();
    ApplyHeaders();
}

void TStringGrid::SetColCount(int count)
{
    count = std::max(1, count);
    if (count == Model->Cols) return;
    Model->SetCols(count);
    Widths.resize(size_t(count), DefColWidth);
    if (FixedColCount > count - 1) FixedColCount = count - 1;
    RefreshFixed(FixedRowCount + 1);
    ApplyColumnWidths();
    ClampCurrent();
    ApplyHeaders();
}

void TStringGrid::SetFixedRows(int count)
{
    count = std::clamp(count, 0, RowCount() - 1);
    const int old = FixedRowCount;
    FixedRowCount = count;
    RefreshFixed(std::max(old, count) + 1);
    ClampCurrent();
    ApplyHeaders();
}

void TStringGrid::SetFixedCols(int count)
{
    count = std::clamp(count, 0, ColCount() - 1);
    FixedColCount = count;
    RefreshFixed(FixedRowCount + 1);
    ApplyColumnWidths();
    ClampCurrent();
    ApplyHeaders();
}

// Fixed rows and columns are hidden in the scrolled part; the strips show them instead.
void TStringGrid::RefreshFixed(int rowLimit)
{
    ApplyingWidths = true;   // hiding a column reports it sized 0
    for (int r = 0; r < std::min(rowLimit, RowCount()); ++r) setRowHidden(r, r < FixedRowCount);
    for (int c = 0; c < ColCount(); ++c) setColumnHidden(c, c < FixedColCount);
    ApplyingWidths = false;
}

void TStringGrid::ApplyColumnWidths()
{
    ApplyingWidths = true;
    for (int c = FixedColCount; c < ColCount(); ++c) TopStrip->resizeSection(c, Widths[size_t(c)]);
    ApplyingWidths = false;
}

void TStringGrid::ApplyHeaders()
{
    TopStrip->setVisible(FixedRowCount > 0);
    LeftStrip->setVisible(FixedColCount > 0);
    updateGeometries();
    RepaintAll();
}

void TStringGrid::updateGeometries()
{
    QTableView::updateGeometries();
    if (!Corner) return;
    const bool both = FixedRowCount > 0 && FixedColCount > 0;
    Corner->setVisible(both);
    if (!both) return;
    Corner->setGeometry(QRect(LeftStrip->x(), TopStrip->y(), LeftStrip->width(), TopStrip->height()));
    Corner->raise();
}

int TStringGrid::FixedWidth() const
{
    int w = 0;
    for (int c = 0; c < FixedColCount; ++c) w += ColWidths(c);
    return w;
}

void TStringGrid::ClampCurrent()
{
    const int lastCol = ColCount() - 1, lastRow = RowCount() - 1;
    CurCol = std::clamp(CurCol, FixedColCount, lastCol);
    CurRow = std::clamp(CurRow, FixedRowCount, lastRow);
    AnchorCol = std::clamp(AnchorCol, FixedColCount, lastCol);
    AnchorRow = std::clamp(AnchorRow, FixedRowCount, lastRow);
    Sel = {std::clamp(Sel.Left, 0, lastCol), std::clamp(Sel.Top, 0, lastRow), std::clamp(Sel.Right, 0, lastCol),
           std::clamp(Sel.Bottom, 0, lastRow)};
    if (CurCol < Sel.Left || CurCol > Sel.Right || CurRow < Sel.Top || CurRow > Sel.Bottom) {
        AnchorCol = CurCol;
        AnchorRow = CurRow;
        Sel = {CurCol, CurRow, CurCol, CurRow};
    }
    selectionModel()->setCurrentIndex(Model->index(CurRow, CurCol), QItemSelectionModel::NoUpdate);
}

bool TStringGrid::MoveCurrent(int col, int row, bool extend)
{
    col = std::clamp(col, FixedColCount, ColCount() - 1);
    row = std::clamp(row, FixedRowCount, RowCount() - 1);
    if (col != CurCol || row != CurRow) {
        bool canSelect = true;
        emit OnSelectCell(col, row, canSelect);
        if (!canSelect) return false;
        CurCol = col;
        CurRow = row;
    }
    if (!extend || !(GridOptions & goRangeSelect)) {
        AnchorCol = col;
        AnchorRow = row;
    }
    Sel = {std::min(AnchorCol, col), std::min(AnchorRow, row), std::max(AnchorCol, col), std::max(AnchorRow, row)};
    const QModelIndex index = Model->index(row, col);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    scrollTo(index);
    RepaintAll();
    return true;
}

void TStringGrid::SetCol(int col)
{
    if (col != CurCol) MoveCurrent(col, CurRow, false);
}

void TStringGrid::SetRow(int row)
{
    if (row != CurRow) MoveCurrent(CurCol, row, false);
}

void TStringGrid::SetSelection(const TGridRect &r)
{
    const int lastCol = ColCount() - 1, lastRow = RowCount() - 1;
    Sel = {std::clamp(std::min(r.Left, r.Right), 0, lastCol), std::clamp(std::min(r.Top, r.Bottom), 0, lastRow),
           std::clamp(std::max(r.Left, r.Right), 0, lastCol), std::clamp(std::max(r.Top, r.Bottom), 0, lastRow)};
    RepaintAll();
}

int TStringGrid::ColWidths(int col) const
{
    return col >= 0 && col < int(Widths.size()) ? Widths[size_t(col)] : DefColWidth;
}

void TStringGrid::SetColWidth(int col, int width)
{
    if (col < 0 || col >= ColCount()) return;
    Widths[size_t(col)] = std::max(0, width);
    if (col < FixedColCount) {
        ApplyHeaders();   // the left strip's width
        return;
    }
    ApplyingWidths = true;
    TopStrip->resizeSection(col, Widths[size_t(col)]);
    ApplyingWidths = false;
}

void TStringGrid::SetDefaultColWidth(int width)
{
    DefColWidth = std::max(0, width);
    TopStrip->setDefaultSectionSize(DefColWidth);
    std::fill(Widths.begin(), Widths.end(), DefColWidth);
    ApplyColumnWidths();
    ApplyHeaders();
}

void TStringGrid::SetDefaultRowHeight(int height)
{
    RowHeight = std::max(1, height);
    LeftStrip->setMinimumSectionSize(0);
    LeftStrip->setDefaultSectionSize(RowHeight);
    ApplyHeaders();
}

void TStringGrid::SetOptions(TGridOptions options)
{
    GridOptions = options;
    TopStrip->setSectionResizeMode((options & goColSizing) ? QHeaderView::Interactive : QHeaderView::Fixed);
    setShowGrid(options & (goVertLine | goHorzLine));
    setTabKeyNavigation(options & goTabs);
    setEditTriggers((options & goEditing) ? (DoubleClicked | EditKeyPressed | AnyKeyPressed) : NoEditTriggers);
    if (!(options & goRangeSelect)) {
        AnchorCol = CurCol;
        AnchorRow = CurRow;
        Sel = {CurCol, CurRow, CurCol, CurRow};
    }
    RepaintAll();
}

void TStringGrid::SetColor(TColor c)
{
    GridColor = c;
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Base, Real(c, QPalette::Base));
    viewport()->setPalette(pal);
    RepaintAll();
}

// Per-item scrolling: a scroll value counts the scrolled rows (columns) above the first one in
// view. At the end of the range the last one is aligned with the far edge instead, so the first
// one in view is read from the layout.
int TStringGrid::TopRow() const
{
    const int row = rowAt(0);
    if (row < 0) return FixedRowCount;
    return rowViewportPosition(row) < 0 && row + 1 < RowCount() ? row + 1 : row;
}

int TStringGrid::LeftCol() const
{
    const int col = columnAt(0);
    if (col < 0) return FixedColCount;
    return columnViewportPosition(col) < 0 && col + 1 < ColCount() ? col + 1 : col;
}

void TStringGrid::SetTopRow(int row)
{
    verticalScrollBar()->setValue(std::clamp(row, FixedRowCount, RowCount() - 1) - FixedRowCount);
}

void TStringGrid::SetLeftCol(int col)
{
    horizontalScrollBar()->setValue(std::clamp(col, FixedColCount, ColCount() - 1) - FixedColCount);
}

int TStringGrid::VisibleRowCount() const
{
    return std::clamp(viewport()->height() / RowHeight, 0, RowCount() - TopRow());
}

int TStringGrid::VisibleColCount() const
{
    int n = 0, x = 0;
    for (int c = LeftCol(); c < ColCount(); ++c) {
        x += ColWidths(c);
        if (x > viewport()->width()) break;
        ++n;
    }
    return n;
}

void TStringGrid::MouseToCell(int x, int y, int &col, int &row) const
{
    col = row = -1;
    const QRect vp = viewport()->geometry();
    const int fixedHeight = FixedRowCount * RowHeight;
    int r = -1, c = -1;
    if (y >= vp.top() - fixedHeight && y < vp.top()) r = (y - (vp.top() - fixedHeight)) / RowHeight;
    else if (y >= vp.top() && y <= vp.bottom()) r = rowAt(y - vp.top());
    if (x >= vp.left() - FixedWidth() && x < vp.left()) {
        int left = vp.left() - FixedWidth();
        for (int i = 0; i < FixedColCount; ++i) {
            if (x < left + ColWidths(i)) {
                c = i;
                break;
            }
            left += ColWidths(i);
        }
    } else if (x >= vp.left() && x <= vp.right()) {
        c = columnAt(x - vp.left());
    }
    if (c >= 0 && r >= 0) {
        col = c;
        row = r;
    }
}

QRect TStringGrid::CellRect(int col, int row) const
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return {};
    const QRect vp = viewport()->geometry();
    int x = 0, y = 0;
    if (col < FixedColCount) {
        x = vp.left() - FixedWidth();
        for (int i = 0; i < col; ++i) x += ColWidths(i);
    } else {
        x = columnViewportPosition(col);
        if (x + ColWidths(col) <= 0 || x >= vp.width()) return {};
        x += vp.left();
    }
    if (row < FixedRowCount) {
        y = vp.top() - (FixedRowCount - row) * RowHeight;
    } else {
        y = rowViewportPosition(row);
        if (y + RowHeight <= 0 || y >= vp.height()) return {};
        y += vp.top();
    }
    return QRect(x, y, ColWidths(col), RowHeight);
}

void TStringGrid::MoveRow(int from, int to)
{
    const int n = RowCount();
    if (from < 0 || to < 0 || from >= n || to >= n || from == to) return;
    auto &d = Model->Data;
    const ptrdiff_t w = ColCount();
    if (from < to) std::rotate(d.begin() + from * w, d.begin() + (from + 1) * w, d.begin() + (to + 1) * w);
    else std::rotate(d.begin() + to * w, d.begin() + from * w, d.begin() + (from + 1) * w);
    RepaintAll();
    emit OnRowMoved(from, to);
}

void TStringGrid::MoveColumn(int from, int to)
{
    const int n = ColCount();
    if (from < 0 || to < 0 || from >= n || to >= n || from == to) return;
    auto move = [from, to](auto first) {
        if (from < to) std::rotate(first + from, first + from + 1, first + to + 1);
        else std::rotate(first + to, first + from, first + from + 1);
    };
    for (int r = 0; r < RowCount(); ++r) move(Model->Data.begin() + ptrdiff_t(r) * n);
    move(Widths.begin());
    ApplyColumnWidths();
    ApplyHeaders();
    emit OnColumnMoved(from, to);
}

void TStringGrid::InsertRow(int at)
{
    Model->InsertRowAt(std::clamp(at, 0, RowCount()));
    RefreshFixed(FixedRowCount + 2);
    ClampCurrent();
    ApplyHeaders();
}

void TStringGrid::DeleteRow(int at)
{
    if (at < 0 || at >= RowCount()) return;
    if (RowCount() == 1) {
        for (int c = 0; c < ColCount(); ++c) Model->Cell(c, 0).clear();
    } else {
        Model->DeleteRowAt(at);
        if (FixedRowCount > RowCount() - 1) FixedRowCount = RowCount() - 1;
    }
    RefreshFixed(FixedRowCount + 2);
    ClampCurrent();
    ApplyHeaders();
}

void TStringGrid::InsertColumn(int at)
{
    at = std::clamp(at, 0, ColCount());
    Model->InsertColumnAt(at);
    Widths.insert(Widths.begin() + at, DefColWidth);
    RefreshFixed(FixedRowCount + 1);
    ApplyColumnWidths();
    ClampCurrent();
    ApplyHeaders();
}

void TStringGrid::DeleteColumn(int at)
{
    if (at < 0 || at >= ColCount()) return;
    if (ColCount() == 1) {
        for (int r = 0; r < RowCount(); ++r) Model->Cell(0, r).clear();
    } else {
        Model->DeleteColumnAt(at);
        Widths.erase(Widths.begin() + at);
        if (FixedColCount > ColCount() - 1) FixedColCount = ColCount() - 1;
    }
    RefreshFixed(FixedRowCount + 1);
    ApplyColumnWidths();
    ClampCurrent();
    ApplyHeaders();
}

void TStringGrid::Assign(int colCount, int rowCount, std::vector<AnsiString> &&cells)
{
    colCount = std::max(1, colCount);
    rowCount = std::max(1, rowCount);
    Model->Reset(colCount, rowCount, std::move(cells));
    Widths.resize(size_t(colCount), DefColWidth);
    FixedRowCount = std::min(FixedRowCount, rowCount - 1);
    FixedColCount = std::min(FixedColCount, colCount - 1);
    LeftStrip->setDefaultSectionSize(RowHeight);
    RefreshFixed(FixedRowCount + 1);
    ApplyColumnWidths();
    ClampCurrent();
    ApplyHeaders();
}

const std::vector<AnsiString> &TStringGrid::CellsRowMajor() const { return Model->Data; }

void TStringGrid::EndUpdate()
{
    if (UpdateCount > 0 && --UpdateCount == 0) RepaintAll();
}

int TStringGrid::TextWidth(const AnsiString &s) const { return fontMetrics().horizontalAdvance(DisplayText(s)); }

int TStringGrid::ReckonedTextWidth(const AnsiString &s) const
{
    if (!WidthModel) WidthModel = std::make_unique<TTextWidthModel>(font(), &TStringGrid::DisplayText);
    return WidthModel->Width(s);
}

void TStringGrid::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange) WidthModel.reset();
    QTableView::changeEvent(e);
}

QString TStringGrid::DisplayText(const AnsiString &s)
{
    QString q = ToQ(s);
    if (s.find('\x1D') != AnsiString::npos) q.replace(QChar(0x1D), QChar(0x21B5));
    return q;
}

void TStringGrid::RepaintAll()
{
    if (UpdateCount > 0) return;
    viewport()->update();
    TopStrip->viewport()->update();
    LeftStrip->viewport()->update();
    Corner->update();
}

void TStringGrid::InvalidateCell(int col, int row)
{
    if (UpdateCount > 0) return;
    if (row < FixedRowCount && col < FixedColCount) return Corner->update();
    if (row < FixedRowCount) return TopStrip->viewport()->update();
    if (col < FixedColCount) {
        if (row >= TopRow() && row <= TopRow() + VisibleRowCount()) LeftStrip->viewport()->update();
        return;
    }
    if (row < TopRow() || row > TopRow() + VisibleRowCount() + 1) return;   // out of view
    viewport()->update(visualRect(Model->index(row, col)));
}

void TStringGrid::PaintCell(QPainter *p, const QRect &rect, int col, int row) const
{
    TGridDrawState state = 0;
    if (row < FixedRowCount || col < FixedColCount) {
        state |= gdFixed;
    } else {
        if (col >= Sel.Left && col <= Sel.Right && row >= Sel.Top && row <= Sel.Bottom) state |= gdSelected;
        if (col == CurCol && row == CurRow && hasFocus()) state |= gdFocused;
    }
    if (DefaultDrawing) {
        QColor back, text;
        if (state & gdFixed) {
            back = Real(clBtnFace, QPalette::Button);
            text = Real(clBtnText, QPalette::ButtonText);
        } else if ((state & gdSelected) && (!(state & gdFocused) || (GridOptions & goDrawFocusSelected))) {
            back = Real(clHighlight, QPalette::Highlight);
            text = Real(clHighlightText, QPalette::HighlightedText);
        } else {
            back = Real(GridColor, QPalette::Base);
            text = Real(clWindowText, QPalette::Text);
        }
        p->fillRect(rect, back);
        if (state & gdFixed) {
            // A raised button face with a dark line towards the next cell.
            p->setPen(Real(clBtnHighlight, QPalette::Light));
            p->drawLine(rect.topLeft(), rect.topRight());
            p->drawLine(rect.topLeft(), rect.bottomLeft());
            p->setPen(Real(clBtnShadow, QPalette::Dark));
            p->drawLine(rect.bottomLeft(), rect.bottomRight());
            p->drawLine(rect.topRight(), rect.bottomRight());
        }
        p->setPen(text);
        p->setFont(font());
        p->drawText(rect.adjusted(3, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                    DisplayText(Cells(col, row)));
        if (state & gdFocused) {
            p->setPen(QPen(text, 1, Qt::DotLine));
            p->drawRect(rect.adjusted(0, 0, -1, -1));
        }
    }
    p->save();
    emit const_cast<TStringGrid *>(this)->OnDrawCell(p, col, row, rect, state);
    p->restore();
}

// ---------------------------------------------------------------------------------------------
// Keyboard and mouse

void TStringGrid::keyPressEvent(QKeyEvent *e)
{
    int key = e->key();
    const Qt::KeyboardModifiers mods = e->modifiers();
    emit OnKeyDown(key, mods);
    if (key == 0) return e->accept();
    // Arrows with Ctrl or Alt belong to the table tools, not to the cell cursor.
    const bool plain = !(mods & (Qt::ControlModifier | Qt::AltModifier));
    const bool ctrl = (mods & Qt::ControlModifier) && !(mods & Qt::AltModifier);
    const bool extend = (mods & Qt::ShiftModifier) && (GridOptions & goRangeSelect);
    int c = CurCol, r = CurRow;
    bool moves = true;
    switch (key) {
    case Qt::Key_Up: moves = plain; --r; break;
    case Qt::Key_Down: moves = plain; ++r; break;
    case Qt::Key_Left: moves = plain; --c; break;
    case Qt::Key_Right: moves = plain; ++c; break;
    case Qt::Key_PageUp: moves = plain; r -= std::max(1, VisibleRowCount()); break;
    case Qt::Key_PageDown: moves = plain; r += std::max(1, VisibleRowCount()); break;
    case Qt::Key_Home:
        moves = plain || ctrl;
        c = FixedColCount;
        if (ctrl) r = FixedRowCount;
        break;
    case Qt::Key_End:
        moves = plain || ctrl;
        c = ColCount() - 1;
        if (ctrl) r = RowCount() - 1;
        break;
    case Qt::Key_Tab:
        moves = (GridOptions & goTabs) && plain;
        if (++c >= ColCount()) c = FixedColCount, ++r;
        break;
    default: moves = false; break;
    }
    if (moves) {
        MoveCurrent(c, r, extend);
        return e->accept();
    }
    const QString typed = e->text();
    if (typed.size() == 1 && typed[0].unicode() < 256 && !(mods & Qt::ControlModifier)) {
        char ch = char(typed[0].unicode());
        emit OnKeyPress(ch);
        if (ch == 0) return e->accept();
    }
    if (GridOptions & goEditing) return QTableView::keyPressEvent(e);
    e->ignore();
}

QPoint TStringGrid::ToGrid(QWidget *from, QPoint p) const { return from->mapTo(this, p); }

void TStringGrid::HeaderMouseMove(QWidget *from, QMouseEvent *e)
{
    const QPoint p = ToGrid(from, e->position().toPoint());
    emit OnMouseMove(e->modifiers(), p.x(), p.y());
}

void TStringGrid::mousePressEvent(QMouseEvent *e)
{
    const QPoint p = ToGrid(viewport(), e->position().toPoint());
    emit OnMouseDown(e->button(), e->modifiers(), p.x(), p.y());
    setFocus(Qt::MouseFocusReason);
    if (e->button() == Qt::LeftButton) {
        const QModelIndex index = indexAt(e->position().toPoint());
        if (index.isValid()) {
            const bool extend = (e->modifiers() & Qt::ShiftModifier) && (GridOptions & goRangeSelect);
            if (MoveCurrent(index.column(), index.row(), extend)) DragSelecting = GridOptions & goRangeSelect;
        }
    }
    e->accept();
}

void TStringGrid::mouseMoveEvent(QMouseEvent *e)
{
    HeaderMouseMove(viewport(), e);
    if (!DragSelecting || !(e->buttons() & Qt::LeftButton)) return e->accept();
    // Dragging past an edge scrolls one step towards the pointer.
    QPoint p = e->position().toPoint();
    const QRect area = viewport()->rect();
    if (p.y() < 0) verticalScrollBar()->setValue(verticalScrollBar()->value() - 1);
    if (p.y() > area.bottom()) verticalScrollBar()->setValue(verticalScrollBar()->value() + 1);
    if (p.x() < 0) horizontalScrollBar()->setValue(horizontalScrollBar()->value() - 1);
    if (p.x() > area.right()) horizontalScrollBar()->setValue(horizontalScrollBar()->value() + 1);
    p = QPoint(std::clamp(p.x(), 0, area.right()), std::clamp(p.y(), 0, area.bottom()));
    const QModelIndex index = indexAt(p);
    if (index.isValid()) MoveCurrent(index.column(), index.row(), true);
    e->accept();
}

void TStringGrid::mouseReleaseEvent(QMouseEvent *e)
{
    DragSelecting = false;
    const QPoint p = ToGrid(viewport(), e->position().toPoint());
    emit OnMouseUp(e->button(), e->modifiers(), p.x(), p.y());
    if (e->button() == Qt::LeftButton) emit OnClick();
    e->accept();
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent *e)
{
    emit OnDblClick();
    const QModelIndex index = indexAt(e->position().toPoint());
    if ((GridOptions & goEditing) && index.isValid()) edit(index);
    e->accept();
}

void TStringGrid::focusInEvent(QFocusEvent *e)
{
    QTableView::focusInEvent(e);
    RepaintAll();
    emit OnEnter();
}

void TStringGrid::focusOutEvent(QFocusEvent *e)
{
    QTableView::focusOutEvent(e);
    RepaintAll();
    emit OnExit();
}
