// The Qt host: a picture of each window of the layer in Qt widgets, input
// turned into the layer's messages, Qt's message boxes and common dialogs.
#include "qthost.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

#include "base/paths.h"
#include "winlayer/datatable.h"

namespace kswin {
namespace {

// Pixels of the layer's fixed-pitch font cell.
constexpr int kCharWidth = 8;
constexpr int kLineHeight = 16;
constexpr int kRowHeight = 18;

QString qs(std::string_view text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}
std::string ss(const QString& text) { return text.toLocal8Bit().toStdString(); }
QColor colourOf(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

std::string windowText(HWND window) {
  const int length = GetWindowTextLength(window);
  std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
  const int got = GetWindowText(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

std::string className(HWND window) {
  char name[64] = {};
  GetClassName(window, name, sizeof name);
  std::string lower = name;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

QRect rectOf(const RECT& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// The layer's virtual key of a Qt key, 0 for none.
int virtualKey(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return VK_F1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    default: return 0;
  }
}

enum class Kind { frame, surface, push, check, radio, group, edit, memo, label, list, combo, table };

// ---- The picture of a window that draws itself ---------------------------

class Surface : public QWidget, public Canvas {
 public:
  Surface(HWND window, QWidget* parent, QColor background)
      : QWidget(parent), window_(window), background_(background) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
  }

  // Makes the picture as big as the client area; a new size is painted anew.
  void fit(QSize size) {
    if (size == image_.size() || size.isEmpty()) return;
    QImage next(size, QImage::Format_RGB32);
    next.fill(background_);
    image_ = next;
    InvalidateRect(window_, nullptr, TRUE);
    update();
  }
  const QImage& image() const { return image_; }

  void fillRect(const RECT& rect, COLORREF colour) override {
    QPainter p(target());
    p.fillRect(rectOf(rect), colourOf(colour));
    update();
  }
  void rectangle(const RECT& rect, bool outline, COLORREF pen, bool fill,
                 COLORREF brush) override {
    QPainter p(target());
    const QRect r = rectOf(rect);
    if (fill) p.fillRect(r, colourOf(brush));
    if (outline) {
      p.setPen(colourOf(pen));
      p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    update();
  }
  void line(POINT from, POINT to, COLORREF pen) override {
    QPainter p(target());
    p.setPen(colourOf(pen));
    p.drawLine(from.x, from.y, to.x, to.y);
    update();
  }
  void text(int x, int y, std::string_view text, COLORREF colour, bool opaque,
            COLORREF background) override {
    QPainter p(target());
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(kLineHeight - 3);
    p.setFont(font);
    const QRect cell(x, y, kCharWidth * static_cast<int>(text.size()), kLineHeight);
    if (opaque) p.fillRect(cell, colourOf(background));
    p.setPen(colourOf(colour));
    // One fixed cell per character, as the layer measures text.
    for (size_t i = 0; i < text.size(); ++i)
      p.drawText(QRect(x + kCharWidth * static_cast<int>(i), y, kCharWidth + 2, kLineHeight),
                 Qt::AlignLeft | Qt::AlignVCenter, qs(text.substr(i, 1)));
    update();
  }
  void stretch(const RECT& destination, const RECT& source, const void* bits,
               const BITMAPINFOHEADER& info, const RGBQUAD* colours) override {
    const QImage picture = imageOf(bits, info, colours);
    if (picture.isNull()) return;
    QPainter p(target());
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(rectOf(destination), picture, rectOf(source));
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    if (image_.isNull()) p.fillRect(rect(), background_);
    else p.drawImage(0, 0, image_);
  }
  void resizeEvent(QResizeEvent*) override { fit(size()); }

 private:
  QImage* target() {
    if (image_.isNull()) {
      image_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
      image_.fill(background_);
    }
    return &image_;
  }

  // A device-independent bitmap as a top-down image.
  static QImage imageOf(const void* bits, const BITMAPINFOHEADER& info, const RGBQUAD* colours) {
    const int width = info.biWidth;
    const int height = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    const int depth = info.biBitCount;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 || info.biCompression != BI_RGB)
      return {};
    if (depth != 8 && depth != 24 && depth != 32) return {};
    if (depth == 8 && colours == nullptr) return {};
    const size_t stride = (static_cast<size_t>(width) * static_cast<size_t>(depth) / 8 + 3) / 4 * 4;
    const auto* data = static_cast<const uint8_t*>(bits);
    QImage out(width, height, QImage::Format_RGB32);
    const int used = info.biClrUsed > 0 && info.biClrUsed <= 256 ? static_cast<int>(info.biClrUsed) : 256;
    for (int row = 0; row < height; ++row) {
      const int from = info.biHeight < 0 ? row : height - 1 - row;
      const uint8_t* line = data + stride * static_cast<size_t>(from);
      auto* dest = reinterpret_cast<QRgb*>(out.scanLine(row));
      for (int x = 0; x < width; ++x) {
        if (depth == 8) {
          const int index = std::min<int>(line[x], used - 1);
          const RGBQUAD& q = colours[index];
          dest[x] = qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
        } else {
          const uint8_t* px = line + x * (depth / 8);
          dest[x] = qRgb(px[2], px[1], px[0]);
        }
      }
    }
    return out;
  }

  HWND window_;
  QColor background_;
  QImage image_;
};

// ---- A top-level window: menu bar over the client surface -----------------

class Frame : public QWidget {
 public:
  Frame(HWND window, QWidget* owner, bool dialog, std::function<void()> moved)
      : QWidget(owner, dialog ? Qt::Dialog : Qt::Window), window_(window), moved_(std::move(moved)) {}
  bool settingGeometry = false;

 protected:
  void closeEvent(QCloseEvent* event) override {
    // The program decides: WM_CLOSE goes to it, the picture stays until the
    // window is destroyed.
    event->ignore();
    PostMessage(window_, WM_CLOSE, 0, 0);
  }
  void moveEvent(QMoveEvent*) override {
    if (!settingGeometry) moved_();
  }
  void resizeEvent(QResizeEvent*) override {
    if (!settingGeometry) moved_();
  }

 private:
  HWND window_;
  std::function<void()> moved_;
};

// ---- The data table as a virtual table ---------------------------------

class TableModel : public QAbstractTableModel {
 public:
  explicit TableModel(HWND table) : table_(table) {}

  // Takes the table's shape; true when the rows or columns changed.
  void refresh() {
    DataTableShape next;
    if (!dataTableShape(table_, &next) || next.revision == shape_.revision) return;
    const bool columnsChanged =
        next.columns.size() != shape_.columns.size() ||
        !std::equal(next.columns.begin(), next.columns.end(), shape_.columns.begin(),
                    [](const auto& a, const auto& b) { return a.index == b.index && a.title == b.title; });
    cachedRow_ = static_cast<size_t>(-1);
    if (columnsChanged || next.rows != shape_.rows) {
      beginResetModel();
      shape_ = std::move(next);
      endResetModel();
    } else {
      shape_ = std::move(next);
      if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
  }
  const DataTableShape& shape() const { return shape_; }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(std::min<size_t>(shape_.rows, INT32_MAX));
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(shape_.columns.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    const auto column = static_cast<size_t>(index.column());
    switch (role) {
      case Qt::DisplayRole: {
        const auto row = static_cast<size_t>(index.row());
        if (row != cachedRow_) {
          cells_.clear();
          dataTableRowTexts(table_, row, &cells_);
          cachedRow_ = row;
        }
        return column < cells_.size() ? qs(cells_[column]) : QString();
      }
      case Qt::TextAlignmentRole: {
        const int flags = shape_.columns[column].flags;
        if ((flags & DT_FLAG_RIGHT) == DT_FLAG_RIGHT) return int(Qt::AlignRight | Qt::AlignVCenter);
        if (flags & DT_FLAG_CENTER) return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
      }
      case Qt::BackgroundRole:
        if (index.row() == shape_.marked) return colourOf(shape_.text);
        return colourOf(shape_.background);
      case Qt::ForegroundRole:
        if (index.row() == shape_.marked) return colourOf(shape_.background);
        return colourOf(shape_.text);
      default: return {};
    }
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        static_cast<size_t>(section) >= shape_.columns.size())
      return {};
    return qs(shape_.columns[static_cast<size_t>(section)].title);
  }

 private:
  HWND table_;
  DataTableShape shape_{.columns = {}, .rows = 0, .revision = static_cast<unsigned long>(-1)};
  mutable size_t cachedRow_ = static_cast<size_t>(-1);
  mutable std::vector<std::string> cells_;
};

// ---- What the host keeps of each window ----------------------------------

struct Mirror {
  HWND handle = nullptr;
  Kind kind = Kind::surface;
  QPointer<QWidget> widget;   // the outer widget (a Frame for top-level windows)
  QPointer<QWidget> client;   // where children go
  Surface* surface = nullptr;  // the picture, for windows that draw themselves
  QPointer<QMenuBar> menuBar;
  TableModel* model = nullptr;
  std::string menuSignature;
  // What the picture last showed, so that only changes touch the widgets.
  std::string text;
  QRect rect;
  bool visible = false, enabled = true;
  UINT check = 0;
  int selected = -2, count = -1, scrolledTo = -1;
  std::vector<std::string> items;
  DWORD selStart = 0, selEnd = 0;
};

}  // namespace

struct QtHost::Impl {
  std::unique_ptr<QApplication> app;
  std::map<HWND, Mirror> mirrors;
  std::vector<std::function<void()>> pending;  // input to deliver outside Qt's handlers
  QTimer heartbeat;
  HWND lastFocus = nullptr;
  bool syncing = false;
  QElapsedTimer sinceText;
  QPointer<QTextBrowser> helpWindow;

  Mirror* find(HWND window) {
    auto it = mirrors.find(window);
    return it == mirrors.end() ? nullptr : &it->second;
  }
  QWidget* parentWidgetOf(HWND parent) {
    if (parent == nullptr) return nullptr;
    Mirror* m = ensure(parent);
    return m != nullptr ? m->client.data() : nullptr;
  }

  void later(std::function<void()> step) { pending.push_back(std::move(step)); }
  void runPending() {
    while (!pending.empty()) {
      auto steps = std::move(pending);
      pending.clear();
      for (auto& step : steps) step();
    }
  }

  // Keys at a control become the layer's key messages at the focused
  // window, so a dialog's keyboard handling, a subclassed edit and a
  // program's accelerators see them as they would any key.
  //
  // The shift and control keys change GetKeyState in the queue's order: a
  // key message is read with the state it was pressed in, however late the
  // program reads it.
  HWND sink = nullptr;
  bool shiftDown = false, controlDown = false;
  void postKeyState(int vk, bool down) {
    bool& known = vk == VK_SHIFT ? shiftDown : controlDown;
    if (known == down) return;
    known = down;
    if (sink == nullptr) {
      static const char* const kSinkClass = "KestrelQtKeyState";
      WNDCLASS wc{};
      wc.lpfnWndProc = [](HWND w, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_USER) {
          setKeyDown(static_cast<int>(wParam), lParam != 0);
          return 0;
        }
        return DefWindowProc(w, message, wParam, lParam);
      };
      wc.lpszClassName = kSinkClass;
      RegisterClass(&wc);
      sink = CreateWindow(kSinkClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    }
    PostMessage(sink, WM_USER, static_cast<WPARAM>(vk), down ? 1 : 0);
  }

  bool deliverKey(HWND window, QKeyEvent* event, bool press) {
    const int vk = virtualKey(event->key());
    if (vk == VK_SHIFT || vk == VK_CONTROL) {
      postKeyState(vk, press);
      return false;
    }
    if (press) {
      postKeyState(VK_SHIFT, (event->modifiers() & Qt::ShiftModifier) != 0);
      postKeyState(VK_CONTROL, (event->modifiers() & Qt::ControlModifier) != 0);
    }
    // The widget Qt gave the key to shows the layer's focus window (sync
    // keeps the two together).
    HWND target = window;
    if (!press) {
      if (vk != 0) PostMessage(target, WM_KEYUP, static_cast<WPARAM>(vk), 1);
      return true;
    }
    if (vk != 0) PostMessage(target, WM_KEYDOWN, static_cast<WPARAM>(vk), 1);
    const QByteArray typed = event->text().toLocal8Bit();
    const bool control = (event->modifiers() & Qt::ControlModifier) != 0;
    if (!control)
      for (char c : typed)
        if (static_cast<unsigned char>(c) >= 32 || c == '\b' || c == '\r')
          PostMessage(target, WM_CHAR, static_cast<unsigned char>(c), 1);
    return true;
  }

  Mirror* ensure(HWND window);
  void make(Mirror& m, QWidget* parent);
  void syncOne(Mirror& m);
  void syncMenu(Mirror& m);
  void syncFocus();
  void userMoved(HWND window);
  void sync();
};

namespace {

// Sends a mirrored control's keys and focus to the layer.
class InputFilter : public QObject {
 public:
  InputFilter(QtHost::Impl* host, HWND window, Kind kind)
      : QObject(nullptr), host_(host), window_(window), kind_(kind) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool press = event->type() == QEvent::KeyPress;
        // Lists, combo boxes and tables move their own selection; buttons
        // take the space bar themselves. Everything else is the layer's.
        const int k = key->key();
        const bool dialogKey = k == Qt::Key_Tab || k == Qt::Key_Backtab || k == Qt::Key_Return ||
                               k == Qt::Key_Enter || k == Qt::Key_Escape;
        if (!dialogKey && (kind_ == Kind::list || kind_ == Kind::combo || kind_ == Kind::table))
          return false;
        if (!dialogKey && k == Qt::Key_Space &&
            (kind_ == Kind::push || kind_ == Kind::check || kind_ == Kind::radio))
          return false;
        return host_->deliverKey(window_, key, press);
      }
      case QEvent::FocusIn:
        if (!host_->syncing && GetFocus() != window_ && IsWindow(window_)) {
          HWND w = window_;
          host_->later([w] {
            if (IsWindow(w) && GetFocus() != w) SetFocus(w);
          });
        }
        return false;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove: {
        if (kind_ != Kind::surface) return false;
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        const LPARAM where = MAKELPARAM(static_cast<WORD>(at.x()), static_cast<WORD>(at.y()));
        const bool right = mouse->button() == Qt::RightButton;
        UINT message = WM_MOUSEMOVE;
        if (event->type() == QEvent::MouseButtonPress) message = right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
        if (event->type() == QEvent::MouseButtonRelease) message = right ? WM_RBUTTONUP : WM_LBUTTONUP;
        if (event->type() == QEvent::MouseButtonDblClick) message = WM_LBUTTONDBLCLK;
        PostMessage(window_, message, 0, where);
        (void)watched;
        return false;
      }
      default: return false;
    }
  }

 private:
  QtHost::Impl* host_;
  HWND window_;
  Kind kind_;
};

Kind kindOf(HWND window, const std::string& cls, bool child) {
  const LONG_PTR style = GetWindowLongPtr(window, GWL_STYLE);
  if (!child) return Kind::frame;
  if (cls == "button") {
    switch (style & BS_TYPEMASK) {
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case 6: return Kind::check;  // the automatic three-state box
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON: return Kind::radio;
      case BS_GROUPBOX: return Kind::group;
      default: return Kind::push;
    }
  }
  if (cls == "edit") return (style & ES_MULTILINE) ? Kind::memo : Kind::edit;
  if (cls == "static") return Kind::label;
  if (cls == "listbox") return Kind::list;
  if (cls == "combobox") return Kind::combo;
  if (cls == "datatabledll") return Kind::table;
  return Kind::surface;
}

}  // namespace

Mirror* QtHost::Impl::ensure(HWND window) {
  if (Mirror* known = find(window)) return known;
  if (!IsWindow(window) || window == sink || className(window) == "kestrelqtkeystate")
    return nullptr;
  // Widgets live on Qt's thread; windows of other threads are not shown.
  if (QThread::currentThread() != QCoreApplication::instance()->thread()) return nullptr;
  const LONG_PTR style = GetWindowLongPtr(window, GWL_STYLE);
  const bool child = (style & WS_CHILD) != 0;
  HWND parent = GetParent(window);
  QWidget* parentWidget = nullptr;
  if (parent != nullptr) {
    parentWidget = parentWidgetOf(parent);
    if (Mirror* known = find(window)) return known;  // made while its parent was
    if (child && parentWidget == nullptr) return nullptr;
  }
  Mirror& m = mirrors[window];
  m.handle = window;
  m.kind = kindOf(window, className(window), child);
  make(m, child ? parentWidget : (parent != nullptr ? find(parent)->widget.data() : nullptr));
  syncOne(m);
  return &m;
}

void QtHost::Impl::make(Mirror& m, QWidget* parent) {
  HWND h = m.handle;
  const LONG_PTR style = GetWindowLongPtr(h, GWL_STYLE);
  QWidget* w = nullptr;
  switch (m.kind) {
    case Kind::frame: {
      const bool dialog = className(h) == "#32770";
      auto* frame = new Frame(h, parent, dialog, [this, h] { userMoved(h); });
      QColor background = dialog ? frame->palette().window().color() : QColor(Qt::white);
      m.surface = new Surface(h, frame, background);
      m.client = m.surface;
      w = frame;
      break;
    }
    case Kind::surface:
      m.surface = new Surface(h, parent, QColor(Qt::white));
      m.client = m.surface;
      w = m.surface;
      break;
    case Kind::push: {
      auto* button = new QPushButton(parent);
      button->setDefault((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
      button->setAutoDefault(false);
      QObject::connect(button, &QPushButton::clicked, [h] { PostMessage(h, BM_CLICK, 0, 0); });
      w = button;
      break;
    }
    case Kind::check:
    case Kind::radio: {
      QAbstractButton* button = m.kind == Kind::check ? static_cast<QAbstractButton*>(new QCheckBox(parent))
                                                      : new QRadioButton(parent);
      // The layer keeps the state (and the groups of radio buttons); Qt
      // only shows it.
      button->setAutoExclusive(false);
      QObject::connect(button, &QAbstractButton::clicked, [this, h, button] {
        const UINT now = static_cast<UINT>(SendMessage(h, BM_GETCHECK, 0, 0));
        QSignalBlocker block(button);
        button->setChecked(now == BST_CHECKED);
        PostMessage(h, BM_CLICK, 0, 0);
        (void)this;
      });
      w = button;
      break;
    }
    case Kind::group: w = new QGroupBox(parent); break;
    case Kind::edit: {
      auto* edit = new QLineEdit(parent);
      edit->setReadOnly((style & ES_READONLY) != 0);
      w = edit;
      break;
    }
    case Kind::memo: {
      auto* memo = new QPlainTextEdit(parent);
      memo->setReadOnly((style & ES_READONLY) != 0);
      QFont font(QStringLiteral("DejaVu Sans Mono"));
      font.setStyleHint(QFont::Monospace);
      font.setPixelSize(kLineHeight - 3);
      memo->setFont(font);
      w = memo;
      break;
    }
    case Kind::label: {
      auto* label = new QLabel(parent);
      const LONG_PTR align = style & 0x1F;
      if (align == SS_CENTER) label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
      else if (align == SS_RIGHT) label->setAlignment(Qt::AlignRight | Qt::AlignTop);
      else if (align == 3)  // an icon
        label->setPixmap(label->style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32));
      else label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(align != 3);
      w = label;
      break;
    }
    case Kind::list: {
      auto* list = new QListWidget(parent);
      QObject::connect(list, &QListWidget::currentRowChanged, [this, h](int row) {
        if (syncing || row < 0) return;
        PostMessage(h, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        if (GetWindowLongPtr(h, GWL_STYLE) & LBS_NOTIFY)
          PostMessage(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), LBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(h));
      });
      QObject::connect(list, &QListWidget::itemDoubleClicked, [this, h, list](QListWidgetItem* item) {
        const int row = list->row(item);
        later([h, row] {
          if (IsWindow(h)) doubleClickItem(h, row);
        });
      });
      w = list;
      break;
    }
    case Kind::combo: {
      auto* combo = new QComboBox(parent);
      QObject::connect(combo, &QComboBox::activated, [h](int index) {
        PostMessage(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        PostMessage(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), CBN_SELCHANGE),
                    reinterpret_cast<LPARAM>(h));
      });
      w = combo;
      break;
    }
    case Kind::table: {
      auto* view = new QTableView(parent);
      m.model = new TableModel(h);
      view->setModel(m.model);
      m.model->setParent(view);
      view->verticalHeader()->hide();
      view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
      view->verticalHeader()->setDefaultSectionSize(kRowHeight);
      view->horizontalHeader()->setHighlightSections(false);
      view->setSelectionBehavior(QAbstractItemView::SelectRows);
      view->setSelectionMode(QAbstractItemView::SingleSelection);
      view->setEditTriggers(QAbstractItemView::NoEditTriggers);
      view->setWordWrap(false);
      view->setShowGrid(false);
      QObject::connect(view, &QTableView::doubleClicked, [this, h](const QModelIndex& index) {
        const int row = index.row();
        later([h, row] {
          if (IsWindow(h)) doubleClickItem(h, row);
        });
      });
      w = view;
      break;
    }
  }
  m.widget = w;
  if (!m.client) m.client = w;
  // Keys and mouse of the picture go to the layer.
  auto* filter = new InputFilter(this, h, m.kind == Kind::frame ? Kind::surface : m.kind);
  filter->setParent(w);
  QWidget* keyTarget = m.surface != nullptr ? static_cast<QWidget*>(m.surface) : w;
  keyTarget->installEventFilter(filter);
  if (auto* view = qobject_cast<QAbstractScrollArea*>(w)) view->viewport()->installEventFilter(filter);
  if (!(style & WS_TABSTOP) && m.kind != Kind::surface && m.kind != Kind::frame && m.kind != Kind::edit &&
      m.kind != Kind::memo)
    w->setFocusPolicy(Qt::ClickFocus);
  if (m.kind == Kind::label || m.kind == Kind::group) w->setFocusPolicy(Qt::NoFocus);
}

void QtHost::Impl::userMoved(HWND window) {
  if (syncing) return;
  later([this, window] {
    Mirror* m = find(window);
    if (m == nullptr || !m->widget || !IsWindow(window) || IsIconic(window)) return;
    auto* frame = static_cast<Frame*>(m->widget.data());
    const int menu = m->menuBar ? m->menuBar->height() : 0;
    const QRect g = frame->geometry();
    RECT now{};
    GetWindowRect(window, &now);
    const QRect layer = rectOf(now);
    const QRect wanted(g.x(), g.y(), g.width(), g.height() - menu);
    if (wanted != layer && wanted.width() > 0 && wanted.height() > 0)
      MoveWindow(window, wanted.x(), wanted.y(), wanted.width(), wanted.height(), TRUE);
  });
}

void QtHost::Impl::syncMenu(Mirror& m) {
  HMENU bar = GetMenu(m.handle);
  // A signature of the whole menu: rebuilt only when it changed.
  std::string signature;
  std::function<void(HMENU)> describe = [&](HMENU menu) {
    const auto items = menuItems(menu);
    for (size_t i = 0; i < items.size(); ++i) {
      const auto& item = items[i];
      signature += std::to_string(item.id) + (item.enabled && !item.grayed ? "+" : "-") +
                   (item.checked ? "*" : "") + item.text + "\n";
      if (item.popup) {
        signature += "{";
        describe(GetSubMenu(menu, static_cast<int>(i)));
        signature += "}";
      }
    }
  };
  if (bar != nullptr) describe(bar);
  if (signature == m.menuSignature && (bar == nullptr) == (m.menuBar == nullptr)) return;
  // Not while a menu is open: it is rebuilt once the person is done with it.
  if (QApplication::activePopupWidget() != nullptr) return;
  m.menuSignature = signature;
  if (bar == nullptr) {
    delete m.menuBar.data();
    return;
  }
  if (!m.menuBar) {
    m.menuBar = new QMenuBar(m.widget);
    m.menuBar->setNativeMenuBar(false);
  }
  m.menuBar->clear();
  for (QMenu* old : m.menuBar->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) delete old;
  HWND h = m.handle;
  std::function<void(QMenu*, HMENU)> fill = [&](QMenu* into, HMENU menu) {
    const auto items = menuItems(menu);
    for (size_t i = 0; i < items.size(); ++i) {
      const auto& item = items[i];
      if (item.separator) {
        into->addSeparator();
        continue;
      }
      if (item.popup) {
        QMenu* sub = into->addMenu(qs(item.text));
        fill(sub, GetSubMenu(menu, static_cast<int>(i)));
        continue;
      }
      QAction* action = into->addAction(qs(item.text));
      action->setData(static_cast<uint>(item.id));
      action->setEnabled(item.enabled && !item.grayed);
      action->setCheckable(item.checked);
      action->setChecked(item.checked);
      const UINT id = item.id;
      QObject::connect(action, &QAction::triggered, [h, id] {
        PostMessage(h, WM_COMMAND, MAKEWPARAM(id, 0), 0);
      });
      QObject::connect(action, &QAction::hovered, [h, id, menu, action] {
        const UINT flags = action->isEnabled() ? 0 : MF_GRAYED;
        PostMessage(h, WM_MENUSELECT, MAKEWPARAM(id, flags), reinterpret_cast<LPARAM>(menu));
      });
    }
  };
  const auto top = menuItems(bar);
  for (size_t position = 0; position < top.size(); ++position) {
    const auto& item = top[position];
    if (!item.popup) {
      QAction* action = m.menuBar->addAction(qs(item.text));
      const UINT id = item.id;
      action->setEnabled(item.enabled && !item.grayed);
      QObject::connect(action, &QAction::triggered,
                       [h, id] { PostMessage(h, WM_COMMAND, MAKEWPARAM(id, 0), 0); });
      continue;
    }
    QMenu* popup = m.menuBar->addMenu(qs(item.text));
    popup->setToolTipsVisible(true);
    popup->setEnabled(item.enabled && !item.grayed);
    fill(popup, GetSubMenu(bar, static_cast<int>(position)));
    // Opening it tells the program (WM_INITMENUPOPUP), which may grey or
    // check items first.
    const int at = static_cast<int>(position);
    QObject::connect(popup, &QMenu::aboutToShow, [h, at, popup] {
      if (!IsWindow(h)) return;
      const auto shown = openMenu(h, at);
      const auto actions = popup->actions();
      for (QAction* action : actions) {
        if (action->isSeparator() || action->menu() != nullptr) continue;
        const UINT id = action->data().toUInt();
        for (const auto& entry : shown)
          if (entry.id == id && !entry.popup && !entry.separator) {
            action->setEnabled(entry.enabled && !entry.grayed);
            action->setCheckable(entry.checked || action->isCheckable());
            action->setChecked(entry.checked);
          }
      }
    });
  }
  m.menuBar->adjustSize();
}

void QtHost::Impl::syncOne(Mirror& m) {
  HWND h = m.handle;
  QWidget* w = m.widget;
  if (w == nullptr || !IsWindow(h)) return;
  QSignalBlocker block(w);
  const std::string text = m.kind == Kind::memo || m.kind == Kind::edit ? std::string() : windowText(h);
  RECT r{};
  GetWindowRect(h, &r);
  QRect rect = rectOf(r);
  if (m.kind != Kind::frame) {
    // Child rectangles are kept in the parent's client coordinates.
    HWND parent = GetParent(h);
    RECT pr{};
    if (parent != nullptr && GetWindowRect(parent, &pr)) rect.translate(-pr.left, -pr.top);
  }
  switch (m.kind) {
    case Kind::frame: {
      syncMenu(m);
      auto* frame = static_cast<Frame*>(w);
      if (text != m.text) frame->setWindowTitle(qs(text));
      const int menu = m.menuBar ? m.menuBar->sizeHint().height() : 0;
      if (m.menuBar) m.menuBar->setGeometry(0, 0, rect.width(), menu);
      const QRect outer(rect.x(), rect.y(), rect.width(), rect.height() + menu);
      if (outer != m.rect && !IsIconic(h)) {
        frame->settingGeometry = true;
        frame->setGeometry(outer);
        frame->settingGeometry = false;
        m.rect = outer;
      }
      m.surface->setGeometry(0, menu, rect.width(), rect.height());
      m.surface->fit(QSize(rect.width(), rect.height()));
      break;
    }
    case Kind::push:
    case Kind::check:
    case Kind::radio: {
      auto* button = static_cast<QAbstractButton*>(w);
      QString label = qs(text);
      if (text != m.text) button->setText(label);
      if (m.kind != Kind::push) {
        const UINT check = static_cast<UINT>(SendMessage(h, BM_GETCHECK, 0, 0));
        button->setChecked(check == BST_CHECKED);
      }
      break;
    }
    case Kind::group:
      if (text != m.text) static_cast<QGroupBox*>(w)->setTitle(qs(text));
      break;
    case Kind::label:
      if (text != m.text && (GetWindowLongPtr(h, GWL_STYLE) & 0x1F) != 3)
        static_cast<QLabel*>(w)->setText(qs(text));
      break;
    case Kind::edit:
    case Kind::memo: {
      const std::string now = windowText(h);
      DWORD start = 0, end = 0;
      SendMessage(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
      if (m.kind == Kind::edit) {
        auto* edit = static_cast<QLineEdit*>(w);
        if (m.items.empty() || now != m.items.front() || start != m.selStart || end != m.selEnd) {
          edit->setText(qs(now));
          if (start != end) edit->setSelection(static_cast<int>(start), static_cast<int>(end - start));
          else edit->setCursorPosition(static_cast<int>(end));
        }
      } else {
        auto* memo = static_cast<QPlainTextEdit*>(w);
        if (m.items.empty() || now != m.items.front()) {
          std::string shown;
          for (char c : now)
            if (c != '\r') shown += c;
          memo->setPlainText(qs(shown));
          memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
        }
      }
      m.items.assign(1, now);
      m.selStart = start;
      m.selEnd = end;
      break;
    }
    case Kind::list:
    case Kind::combo: {
      const bool list = m.kind == Kind::list;
      const int count = static_cast<int>(SendMessage(h, list ? LB_GETCOUNT : CB_GETCOUNT, 0, 0));
      std::vector<std::string> items;
      for (int i = 0; i < count; ++i) {
        const auto length = SendMessage(h, list ? LB_GETTEXTLEN : CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::string item(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
        SendMessage(h, list ? LB_GETTEXT : CB_GETLBTEXT, static_cast<WPARAM>(i),
                    reinterpret_cast<LPARAM>(item.data()));
        item.resize(std::strlen(item.c_str()));
        items.push_back(std::move(item));
      }
      const int selected = static_cast<int>(SendMessage(h, list ? LB_GETCURSEL : CB_GETCURSEL, 0, 0));
      if (items != m.items) {
        QStringList shown;
        for (const auto& item : items) shown << qs(item);
        if (list) {
          static_cast<QListWidget*>(w)->clear();
          static_cast<QListWidget*>(w)->addItems(shown);
        } else {
          static_cast<QComboBox*>(w)->clear();
          static_cast<QComboBox*>(w)->addItems(shown);
        }
        m.items = std::move(items);
        m.selected = -2;
      }
      if (selected != m.selected) {
        if (list) static_cast<QListWidget*>(w)->setCurrentRow(selected);
        else static_cast<QComboBox*>(w)->setCurrentIndex(selected);
        m.selected = selected;
      }
      break;
    }
    case Kind::table: {
      auto* view = static_cast<QTableView*>(w);
      const bool first = m.count < 0;
      m.model->refresh();
      const auto& shape = m.model->shape();
      if (first || m.count != static_cast<int>(shape.columns.size())) {
        for (size_t i = 0; i < shape.columns.size(); ++i)
          view->setColumnWidth(static_cast<int>(i),
                               std::max(shape.columns[i].width / 4, 1) * kCharWidth + 8);
        m.count = static_cast<int>(shape.columns.size());
      }
      if (shape.scrolledTo != m.scrolledTo && shape.scrolledTo >= 0) {
        view->scrollTo(m.model->index(shape.scrolledTo, 0), QAbstractItemView::PositionAtTop);
      }
      m.scrolledTo = shape.scrolledTo;
      break;
    }
    case Kind::surface: break;
  }
  m.text = text;
  if (m.kind != Kind::frame && rect != m.rect) {
    w->setGeometry(rect);
    m.rect = rect;
  }
  const bool enabled = IsWindowEnabled(h) != FALSE;
  if (enabled != m.enabled || !w->isEnabled() != !enabled) w->setEnabled(enabled);
  m.enabled = enabled;
  // A child shows when it and its parents are visible; a top-level window
  // when the layer shows it.
  const bool visible = m.kind == Kind::frame ? IsWindowVisible(h) != FALSE
                                            : (GetWindowLongPtr(h, GWL_STYLE) & WS_VISIBLE) != 0;
  if (visible != m.visible || w->isHidden() == visible) {
    w->setVisible(visible);
    if (visible && m.kind == Kind::frame && QGuiApplication::platformName() != "offscreen") {
      w->raise();
      w->activateWindow();
    }
  }
  m.visible = visible;
}

void QtHost::Impl::syncFocus() {
  HWND focus = GetFocus();
  if (focus == lastFocus) return;
  lastFocus = focus;
  Mirror* m = find(focus);
  if (m == nullptr || !m->widget) return;
  QWidget* target = m->surface != nullptr && m->kind == Kind::frame ? m->surface : m->widget.data();
  target->setFocus(Qt::OtherFocusReason);
}

void QtHost::Impl::sync() {
  syncing = true;
  // Parents before children: the map holds handles, which the layer gives
  // out rising, so creation order is kept.
  std::vector<HWND> gone;
  for (auto& [handle, mirror] : mirrors) {
    if (!IsWindow(handle)) {
      gone.push_back(handle);
      continue;
    }
    syncOne(mirror);
  }
  for (HWND handle : gone) mirrors.erase(handle);
  syncFocus();
  syncing = false;
}

// ---- QtHost ----------------------------------------------------------------

namespace {
int argcOfQt = 1;
char nameOfQt[] = "kestrel";
char* argvOfQt[] = {nameOfQt, nullptr};
}  // namespace

QtHost::QtHost() : impl_(std::make_unique<Impl>()) {
  if (QApplication::instance() == nullptr) {
    impl_->app = std::make_unique<QApplication>(argcOfQt, argvOfQt);
    QApplication::setApplicationName(QStringLiteral("Kestrel"));
    QApplication::setDesktopFileName(QStringLiteral("kestrel"));
  }
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(12);
  QApplication::setFont(font);
  // Waiting in Qt's loop ends at least this often, for the layer's timers and
  // for messages other threads post.
  impl_->heartbeat.setInterval(10);
  impl_->heartbeat.start();
  impl_->sinceText.start();
}

QtHost::~QtHost() {
  if (impl_->sink != nullptr && IsWindow(impl_->sink)) DestroyWindow(impl_->sink);
  for (auto& [handle, mirror] : impl_->mirrors)
    if (mirror.widget && mirror.kind == Kind::frame) delete mirror.widget.data();
  impl_->mirrors.clear();
  delete impl_->helpWindow.data();
}

void QtHost::sync() { impl_->sync(); }

void QtHost::settle(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  do {
    impl_->sync();
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    impl_->runPending();
    const int dispatched = pumpMessages();
    impl_->sync();
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    if (dispatched == 0 && impl_->pending.empty() && clock.elapsed() >= milliseconds) break;
  } while (clock.elapsed() < milliseconds * 20 + 1000);
}

QWidget* QtHost::widgetOf(HWND window) {
  Mirror* m = impl_->find(window);
  return m != nullptr ? m->widget.data() : nullptr;
}

QWidget* QtHost::clientOf(HWND window) {
  Mirror* m = impl_->find(window);
  return m != nullptr ? m->client.data() : nullptr;
}

void QtHost::windowCreated(HWND window) { impl_->ensure(window); }

void QtHost::windowDestroyed(HWND window) {
  auto it = impl_->mirrors.find(window);
  if (it == impl_->mirrors.end()) return;
  if (it->second.widget) {
    it->second.widget->hide();
    it->second.widget->deleteLater();
  }
  if (impl_->lastFocus == window) impl_->lastFocus = nullptr;
  impl_->mirrors.erase(it);
}

Canvas* QtHost::canvas(HWND window) {
  Mirror* m = impl_->ensure(window);
  return m != nullptr ? m->surface : nullptr;
}

IdleAction QtHost::idle() {
  impl_->sync();
  QApplication::processEvents(QEventLoop::AllEvents);
  impl_->runPending();
  return IdleAction::wait;
}

IdleAction QtHost::dialogIdle(HWND, std::string_view) { return IdleAction::wait; }

bool QtHost::waitForInput() {
  QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  impl_->runPending();
  return true;
}

void QtHost::dialogText(HWND, int, std::string_view) {
  // A long step reports its progress here: the picture follows a few dozen
  // times a second, and a click on Cancel reaches the queue meanwhile.
  if (impl_->sinceText.elapsed() < 40) return;
  impl_->sinceText.restart();
  impl_->sync();
  QApplication::processEvents(QEventLoop::AllEvents, 10);
}

int QtHost::messageBox(HWND owner, std::string_view text, std::string_view caption, UINT style) {
  QMessageBox box(widgetOf(owner));
  box.setWindowTitle(qs(caption));
  box.setText(qs(text));
  switch (style & MB_ICONMASK) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  struct Choice {
    QMessageBox::StandardButton button;
    int answer;
  };
  std::vector<Choice> choices;
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL: choices = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_ABORTRETRYIGNORE:
      choices = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
      break;
    case MB_YESNOCANCEL:
      choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
      break;
    case MB_YESNO: choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
    case MB_RETRYCANCEL: choices = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}}; break;
    default: choices = {{QMessageBox::Ok, IDOK}}; break;
  }
  for (const Choice& choice : choices) box.addButton(choice.button);
  const size_t fallback = (style & MB_DEFMASK) >> 8;
  const Choice& preferred = choices[std::min(fallback, choices.size() - 1)];
  box.setDefaultButton(preferred.button);
  // Esc answers Cancel when there is one, else the default (a box without a
  // way out other than its buttons).
  QMessageBox::StandardButton escape = preferred.button;
  for (const Choice& choice : choices)
    if (choice.answer == IDCANCEL || (choices.size() == 1)) escape = choice.button;
  box.setEscapeButton(escape);
  box.exec();
  auto* clicked = box.clickedButton();
  const QMessageBox::StandardButton chosen = clicked != nullptr ? box.standardButton(clicked) : escape;
  for (const Choice& choice : choices)
    if (choice.button == chosen) return choice.answer;
  return defaultAnswer(style);
}

void QtHost::cursorChanged(bool busy) {
  if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
  else if (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
}

bool QtHost::fileDialog(FileRequest& request) {
  QStringList filters;
  for (const auto& [description, pattern] : request.filters) {
    // "ADIF Files (*.ADI)" already names its patterns; others get them.
    QString text = qs(description);
    QString patterns = qs(pattern).replace(';', ' ');
    // Patterns match without regard to case, as the platform's files do.
    QString both;
    for (const QString& one : patterns.split(' ', Qt::SkipEmptyParts))
      both += one.toLower() + ' ' + one.toUpper() + ' ';
    filters << text + " (" + both.trimmed() + ")";
  }
  QFileDialog dialog(widgetOf(request.owner), qs(request.title));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setNameFilters(filters);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(qs(request.defaultExtension));
  if (!request.proposedName.empty()) {
    const QString proposed = qs(ksbase::mapPath(request.proposedName));
    const QFileInfo info(proposed);
    if (info.isAbsolute()) dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  request.path = ss(dialog.selectedFiles().front());
  return !request.path.empty();
}

bool QtHost::colorDialog(ColorRequest& request) {
  const QColor chosen = QColorDialog::getColor(colourOf(request.initial), widgetOf(request.owner),
                                               QString(), QColorDialog::DontUseNativeDialog);
  if (!chosen.isValid()) return false;
  request.result = RGB(chosen.red(), chosen.green(), chosen.blue());
  return true;
}

bool QtHost::printDialog(PrintRequest& request) {
  // The layer prints to PDF: the platform's dialog picks the printer or the
  // file; pages for a printer are kept in the settings folder's print.pdf.
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const std::string fallback = ksbase::settingsDirectory() + "/print.pdf";
  printer.setOutputFileName(qs(request.output.empty() ? fallback : request.output));
  QPrintDialog dialog(&printer, widgetOf(request.owner));
  if (request.setup) dialog.setWindowTitle(QStringLiteral("Print Setup"));
  if (dialog.exec() != QDialog::Accepted) return false;
  request.output = printer.outputFileName().isEmpty() ? fallback : ss(printer.outputFileName());
  return true;
}

void QtHost::help(std::string_view file, UINT command, std::string_view keyword) {
  if (command == HELP_QUIT) {
    if (impl_->helpWindow) impl_->helpWindow->close();
    return;
  }
  if (!impl_->helpWindow) {
    impl_->helpWindow = new QTextBrowser();
    impl_->helpWindow->resize(560, 420);
    impl_->helpWindow->setAttribute(Qt::WA_DeleteOnClose);
  }
  QTextBrowser* browser = impl_->helpWindow;
  browser->setWindowTitle(qs(file));
  // A help file beside the program in a form a browser reads (the same name
  // as .html or .txt); else what was asked for.
  const std::string path = ksbase::mapPath(std::string(file));
  const std::string base = path.substr(0, path.find_last_of('.'));
  bool shown = false;
  for (const char* extension : {".html", ".htm", ".txt"}) {
    const QString candidate = qs(base + extension);
    if (QFileInfo::exists(candidate)) {
      browser->setSource(QUrl::fromLocalFile(candidate));
      if (!keyword.empty()) browser->find(qs(keyword));
      shown = true;
      break;
    }
  }
  if (!shown)
    browser->setPlainText(QStringLiteral("Help file: %1\nTopic: %2").arg(qs(file), qs(keyword)));
  browser->show();
  browser->raise();
}

void QtHost::beep() { QApplication::beep(); }

}  // namespace kswin
