#include "platform/qt/QtBackend.h"

#include "platform/Desktop.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include "ui/Panel.h"
#include "ui/Timer.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolTip>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <map>
#include <optional>

namespace platform::qt {

namespace {

// System colour nn (0x800000nn) as the palette's role of the same meaning.
QColor ToQColor(ui::TColor Color) {
  if (!ui::IsSystemColor(Color))
    return QColor(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
  const QPalette P = QApplication::palette();
  switch (Color & 0xFF) {
  case 1: // desktop
  case 4: // menu
    return P.color(QPalette::Window);
  case 2:  // active caption
  case 13: // highlight
    return P.color(QPalette::Highlight);
  case 5:
    return P.color(QPalette::Base);
  case 6:  // window frame
  case 21: // 3D dark shadow
    return P.color(QPalette::Shadow);
  case 7: // menu text
  case 8: // window text
    return P.color(QPalette::WindowText);
  case 9:  // caption text
  case 14: // highlight text
    return P.color(QPalette::HighlightedText);
  case 3:  // inactive caption
  case 12: // application workspace
    return P.color(QPalette::Mid);
  case 16:
    return P.color(QPalette::Dark);
  case 17:
    return P.color(QPalette::Disabled, QPalette::Text);
  case 18:
    return P.color(QPalette::ButtonText);
  case 19:
    return P.color(QPalette::Disabled, QPalette::WindowText);
  case 20:
    return P.color(QPalette::Light);
  case 22:
    return P.color(QPalette::Midlight);
  case 23:
    return P.color(QPalette::ToolTipText);
  case 24:
    return P.color(QPalette::ToolTipBase);
  default:
    return P.color(QPalette::Button); // 15 button face, scroll bar, borders
  }
}

struct TBox {
  int Left, Top, Right, Bottom; // right and bottom exclusive
};

// One ring of a 3D frame, drawn line by line as the classic frame routine does:
// the top row and left column in TopColor, then the right column and bottom row
// in BottomColor, which also takes the top-right and bottom-left corners.
void Frame3D(QPainter& P, TBox& R, const QColor& TopColor, const QColor& BottomColor, int Width) {
  for (; Width > 0; --Width) {
    const int W = R.Right - R.Left, H = R.Bottom - R.Top;
    if (W <= 0 || H <= 0) return;
    P.fillRect(R.Left, R.Top, W - 1, 1, TopColor);
    P.fillRect(R.Left, R.Top, 1, H - 1, TopColor);
    P.fillRect(R.Right - 1, R.Top, 1, H, BottomColor);
    P.fillRect(R.Left, R.Bottom - 1, W, 1, BottomColor);
    R = {R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1};
  }
}

void Bevel(QPainter& P, TBox& R, ui::TBevelCut Cut, int Width) {
  if (Cut == ui::TBevelCut::bvNone) return;
  const QColor Light = ToQColor(ui::clBtnHighlight), Dark = ToQColor(ui::clBtnShadow);
  const bool Raised = Cut == ui::TBevelCut::bvRaised;
  Frame3D(P, R, Raised ? Light : Dark, Raised ? Dark : Light, Width);
}

QFont ToQFont(const ui::TFont& Font) {
  QFont Out;
  // The layout's face is rarely installed here; IPA P Gothic is the packaged
  // proportional Japanese face, and fontconfig finds another for missing glyphs.
  Out.setFamilies({QStringLiteral("IPAPGothic"), QString::fromUtf8("IPA Pゴシック"),
                   QString::fromStdString(Font.Name), QStringLiteral("VL PGothic"),
                   QStringLiteral("Noto Sans CJK JP"), QStringLiteral("TakaoPGothic")});
  Out.setStyleHint(QFont::SansSerif);
  Out.setPixelSize(std::max(1, std::abs(Font.Height)));
  Out.setBold(Font.Bold);
  return Out;
}

std::optional<ui::TMouseButton> ToButton(Qt::MouseButton Button) {
  switch (Button) {
  case Qt::LeftButton:
    return ui::TMouseButton::mbLeft;
  case Qt::RightButton:
    return ui::TMouseButton::mbRight;
  case Qt::MiddleButton:
    return ui::TMouseButton::mbMiddle;
  default:
    return std::nullopt;
  }
}

platform::TPoint ToPoint(const QPointF& P) {
  const QPoint I = P.toPoint();
  return {I.x(), I.y()};
}

// Nothing may unwind through Qt's frames.
template <class F> void Guarded(F&& Fn) {
  try {
    Fn();
  } catch (...) {
    if (ui::Application) ui::Application->HandleException(std::current_exception());
  }
}

} // namespace

class TFormWindow;

struct TQtBackend::TImpl {
  TQtBackend& Owner;
  QElapsedTimer Clock;
  QTimer Wake;
  std::optional<std::int64_t> ArmedFor;
  ui::TApplication* App = nullptr;
  int Modal = 0;
  std::map<const ui::TControl*, TFormWindow*> Windows;
  std::map<const ui::TControl*, QWidget*> Panels;

  // For the benchmark: each wake's deadline and the moment it ran, as
  // CLOCK_MONOTONIC milliseconds and microseconds.
  std::FILE* WakeLog = nullptr;

  explicit TImpl(TQtBackend& AOwner) : Owner(AOwner) {
    Clock.start();
    if (const char* Path = std::getenv("TAZU_WAKE_LOG")) WakeLog = std::fopen(Path, "w");
    Wake.setSingleShot(true);
    Wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&Wake, &QTimer::timeout, [this] { WakeUp(); });
  }

  ~TImpl() {
    if (WakeLog) std::fclose(WakeLog);
  }

  void WakeUp() {
    if (WakeLog && ArmedFor) {
      timespec T{};
      clock_gettime(CLOCK_MONOTONIC, &T);
      std::fprintf(WakeLog, "wake %lld %lld\n",
                   static_cast<long long>(Clock.msecsSinceReference() + *ArmedFor),
                   static_cast<long long>(T.tv_sec) * 1000000 + T.tv_nsec / 1000);
      std::fflush(WakeLog);
    }
    ArmedFor.reset();
    if (App) Guarded([this] { App->ProcessTimers(); });
    Owner.TimersChanged();
  }

  void AboutToBlock() {
    if (!App || Modal > 0) return; // modal loops do no idle processing
    if (!App->Terminated()) Guarded([this] { App->Idle(); });
    if (App->Terminated()) QCoreApplication::exit(0);
  }

  void SyncForm(ui::TForm& Form);
  void SyncPanel(TFormWindow& Window, ui::TControl& Control);
};

// Paints a panel; the form window routes all input, so this one takes none.
class TPanelWidget final : public QWidget {
public:
  TPanelWidget(QWidget* Parent, ui::TControl& Control) : QWidget(Parent), FControl(Control) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter P(this);
    TBox R{0, 0, width(), height()};
    auto* Panel = dynamic_cast<ui::TCustomPanel*>(&FControl);
    if (Panel) {
      Bevel(P, R, Panel->BevelOuter(), Panel->BevelWidth());
      Bevel(P, R, Panel->BevelInner(), Panel->BevelWidth());
    }
    if (R.Right > R.Left && R.Bottom > R.Top)
      P.fillRect(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top, ToQColor(FControl.Color()));
    const QString Caption = QString::fromStdString(FControl.Caption());
    if (Caption.isEmpty()) return;
    const QFont Font = ToQFont(FControl.Font());
    const QFontMetrics Metrics(Font);
    P.setFont(Font);
    P.setPen(ToQColor(FControl.Font().Color));
    // Centred horizontally; vertically on the height of the font's cell ("W").
    const int Top = (R.Top + R.Bottom - Metrics.height()) / 2;
    const int Left = (R.Left + R.Right - Metrics.horizontalAdvance(Caption)) / 2;
    P.drawText(Left, Top + Metrics.ascent(), Caption);
  }

private:
  ui::TControl& FControl;
};

// The form's client area: its colour, clipping the panels to it.
class TClientWidget final : public QWidget {
public:
  TClientWidget(QWidget* Parent, ui::TForm& Form) : QWidget(Parent), FForm(Form) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

protected:
  void paintEvent(QPaintEvent* E) override {
    QPainter P(this);
    P.fillRect(E->rect(), ToQColor(FForm.Color()));
  }

private:
  ui::TForm& FForm;
};

// A form's top-level window: the raised dialog frame, and all pointer input.
class TFormWindow final : public QWidget {
public:
  TFormWindow(TQtBackend::TImpl& Impl, ui::TForm& Form)
      : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                             Qt::WindowDoesNotAcceptFocus),
        Client(new TClientWidget(this, Form)), FImpl(Impl), FForm(Form) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    if (ui::Application) setWindowTitle(QString::fromStdString(ui::Application->Title));
    FMovePoll.setInterval(25);
    QObject::connect(&FMovePoll, &QTimer::timeout, [this] { PollSystemMove(); });
  }

  TClientWidget* Client;
  bool Shown = false;

  // Moves the window where the form says, remembering the request so that its
  // confirmation is not taken for a move by someone else.
  void RequestMove(QPoint Target) {
    if (Target == pos()) return;
    if (isVisible()) {
      FPending.push_back(Target);
      if (FPending.size() > 64) FPending.pop_front();
    }
    move(Target);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter P(this);
    TBox R{0, 0, width(), height()};
    // Outer ring 3D light over dark shadow, then highlight over shadow, then face.
    Frame3D(P, R, ToQColor(0x80000016), ToQColor(0x80000015), 1);
    Frame3D(P, R, ToQColor(ui::clBtnHighlight), ToQColor(ui::clBtnShadow), 1);
    const int Rest = FImpl.Owner.FrameWidth() - 2;
    Frame3D(P, R, ToQColor(ui::clBtnFace), ToQColor(ui::clBtnFace), Rest);
  }

  void mouseMoveEvent(QMouseEvent* E) override {
    if (FSystemMove || !FImpl.App) return;
    Guarded([&] { FImpl.App->MouseMove(ToPoint(E->globalPosition())); });
  }

  void mousePressEvent(QMouseEvent* E) override { Press(E); }
  // The second press of a double click is a press like any other here.
  void mouseDoubleClickEvent(QMouseEvent* E) override { Press(E); }

  void mouseReleaseEvent(QMouseEvent* E) override {
    const auto Button = ToButton(E->button());
    if (!Button || !FImpl.App) return;
    Guarded([&] { FImpl.App->MouseButton(*Button, false, ToPoint(E->globalPosition())); });
    if (FSystemMove && !FImpl.App->Moving()) EndSystemMove();
    AfterInput();
  }

  void keyPressEvent(QKeyEvent* E) override { Key(E, true); }
  void keyReleaseEvent(QKeyEvent* E) override { Key(E, false); }

  void moveEvent(QMoveEvent*) override {
    if (!isVisible()) return;
    const QPoint Now = pos();
    auto It = std::find(FPending.begin(), FPending.end(), Now);
    if (It != FPending.end()) {
      FPending.erase(FPending.begin(), It + 1);
      return;
    }
    if (Now == QPoint(FForm.Left(), FForm.Top())) return;
    // Moved by the window manager: the form follows the window's real position.
    FPending.clear();
    Guarded([&] { FForm.SetBounds(Now.x(), Now.y(), FForm.Width(), FForm.Height()); });
  }

  bool event(QEvent* E) override {
    if (E->type() == QEvent::ToolTip) {
      ShowHint(static_cast<QHelpEvent*>(E));
      return true;
    }
    return QWidget::event(E);
  }

private:
  void Press(QMouseEvent* E) {
    const auto Button = ToButton(E->button());
    if (!Button || !FImpl.App) return;
    const bool WasMoving = FImpl.App->Moving();
    Guarded([&] { FImpl.App->MouseButton(*Button, true, ToPoint(E->globalPosition())); });
    if (!WasMoving && FImpl.App->Moving()) BeginMove();
    AfterInput();
  }

  void Key(QKeyEvent* E, bool Down) {
    std::uint16_t Vk = 0;
    switch (E->key()) {
    case Qt::Key_Space:
      Vk = platform::VK_SPACE;
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Vk = platform::VK_RETURN;
      break;
    case Qt::Key_Tab:
      Vk = platform::VK_TAB;
      break;
    default:
      QWidget::keyPressEvent(E);
      return;
    }
    if (FImpl.App) Guarded([&] { FImpl.App->Key(Vk, Down); });
    AfterInput();
  }

  void AfterInput() {
    if (FImpl.App && FImpl.App->Terminated() && FImpl.Modal == 0) QCoreApplication::exit(0);
  }

  // The window manager moves the window when it can: it knows the screen's
  // edges and other monitors. Without one, the layer's own move goes on.
  void BeginMove() {
    QWindow* Handle = windowHandle();
    if (!Handle || !Handle->startSystemMove()) return;
    FSystemMove = true;
    FMovePoll.start();
  }

  // The manager keeps the release to itself; the button's state tells the end.
  void PollSystemMove() {
    if (!FImpl.App || !FImpl.App->Moving()) return EndSystemMove();
    if (platform::Desktop().GetAsyncKeyState(platform::VK_LBUTTON) < 0) return;
    const platform::TPoint P = platform::Desktop().GetCursorPos();
    Guarded([&] { FImpl.App->MouseButton(ui::TMouseButton::mbLeft, false, P); });
    EndSystemMove();
  }

  void EndSystemMove() {
    FSystemMove = false;
    FMovePoll.stop();
  }

  void ShowHint(QHelpEvent* E) {
    ui::TControl* Control =
        FImpl.App ? FImpl.App->FindControl({E->globalPos().x(), E->globalPos().y()}) : nullptr;
    if (!Control || !Control->ShowHint() || Control->Hint().empty()) {
      QToolTip::hideText();
      return;
    }
    QRect Area = rect();
    if (Control != &FForm)
      Area = QRect(Client->mapTo(this, QPoint(Control->Left(), Control->Top())),
                   QSize(Control->Width(), Control->Height()))
                 .intersected(Client->geometry());
    QToolTip::showText(E->globalPos(), QString::fromStdString(Control->Hint()), this, Area);
  }

  TQtBackend::TImpl& FImpl;
  ui::TForm& FForm;
  std::deque<QPoint> FPending;
  bool FSystemMove = false;
  QTimer FMovePoll;
};

void TQtBackend::TImpl::SyncForm(ui::TForm& Form) {
  if (Form.Loading()) return;
  auto [It, Created] = Windows.try_emplace(&Form, nullptr);
  if (Created) {
    It->second = new TFormWindow(*this, Form);
    for (ui::TControl* Child : Form.Controls())
      SyncPanel(*It->second, *Child);
  }
  TFormWindow& W = *It->second;
  const int Frame = Owner.FrameWidth();
  if (W.size() != QSize(Form.Width(), Form.Height()))
    W.resize(std::max(1, Form.Width()), std::max(1, Form.Height()));
  W.RequestMove(QPoint(Form.Left(), Form.Top()));
  const QRect ClientArea(Frame, Frame, std::max(0, Form.ClientWidth()),
                         std::max(0, Form.ClientHeight()));
  if (W.Client->geometry() != ClientArea) W.Client->setGeometry(ClientArea);
  if (Form.Visible() != W.isVisible()) {
    W.setVisible(Form.Visible());
    if (Form.Visible() && !W.Shown) {
      W.Shown = true;
      if (Owner.OnWindowShown) Owner.OnWindowShown(static_cast<std::uintptr_t>(W.winId()));
    }
  }
  W.update();
  W.Client->update();
}

void TQtBackend::TImpl::SyncPanel(TFormWindow& Window, ui::TControl& Control) {
  auto [It, Created] = Panels.try_emplace(&Control, nullptr);
  if (Created) It->second = new TPanelWidget(Window.Client, Control);
  QWidget& W = *It->second;
  const QRect Bounds(Control.Left(), Control.Top(), Control.Width(), Control.Height());
  if (W.geometry() != Bounds) W.setGeometry(Bounds);
  if (W.isVisibleTo(Window.Client) != Control.Visible()) W.setVisible(Control.Visible());
  W.update();
}

TQtBackend::TQtBackend() : F(new TImpl(*this)) {}

TQtBackend::~TQtBackend() {
  for (auto& [Control, Window] : F->Windows)
    delete Window;
}

std::int64_t TQtBackend::Now() {
  return F->Clock.elapsed();
}

void TQtBackend::RunLoop(ui::TApplication& App) {
  F->App = &App;
  QApplication::setQuitOnLastWindowClosed(false);
  const auto Connection =
      QObject::connect(QAbstractEventDispatcher::instance(),
                       &QAbstractEventDispatcher::aboutToBlock, [this] { F->AboutToBlock(); });
  TimersChanged();
  if (!App.Terminated()) QApplication::exec();
  QObject::disconnect(Connection);
  F->Wake.stop();
  F->App = nullptr;
}

void TQtBackend::TimersChanged() {
  const std::optional<std::int64_t> Next = ui::Timers().NextDue();
  if (!Next) {
    F->Wake.stop();
    F->ArmedFor.reset();
    return;
  }
  if (F->ArmedFor == Next && F->Wake.isActive()) return;
  const std::int64_t Delay = std::clamp<std::int64_t>(*Next - Now(), 0, INT_MAX);
  F->ArmedFor = Next;
  F->Wake.start(static_cast<int>(Delay));
}

void TQtBackend::ControlChanged(ui::TControl& Control) {
  if (auto* Form = dynamic_cast<ui::TForm*>(&Control)) return F->SyncForm(*Form);
  auto* Form = dynamic_cast<ui::TForm*>(Control.Parent());
  if (!Form) return;
  auto It = F->Windows.find(Form);
  if (It != F->Windows.end()) F->SyncPanel(*It->second, Control);
}

void TQtBackend::ControlDestroyed(ui::TControl& Control) {
  if (auto It = F->Panels.find(&Control); It != F->Panels.end()) {
    delete It->second;
    F->Panels.erase(It);
  }
  if (auto It = F->Windows.find(&Control); It != F->Windows.end()) {
    delete It->second;
    F->Windows.erase(It);
  }
}

std::uintptr_t TQtBackend::WindowHandle(ui::TControl& Control) {
  for (ui::TControl* C = &Control; C; C = C->Parent())
    if (auto It = F->Windows.find(C); It != F->Windows.end())
      return static_cast<std::uintptr_t>(It->second->winId());
  return 0;
}

namespace {

void AddItems(QMenu& Menu, ui::TMenuItem& Parent, std::map<QAction*, ui::TMenuItem*>& Actions) {
  for (ui::TMenuItem* Item : Parent.Items()) {
    if (Item->Caption() == "-") {
      Menu.addSeparator();
      continue;
    }
    // Qt marks access keys with "&" too.
    const QString Text = QString::fromStdString(Item->Caption());
    if (!Item->Items().empty()) {
      AddItems(*Menu.addMenu(Text), *Item, Actions);
      continue;
    }
    QAction* Action = Menu.addAction(Text);
    // Only a set mark is drawn, as in the classic menus: no empty boxes.
    Action->setCheckable(Item->Checked());
    Action->setChecked(Item->Checked());
    Actions[Action] = Item;
  }
}

} // namespace

void TQtBackend::ShowPopupMenu(ui::TPopupMenu& Menu, int X, int Y) {
  QMenu Popup;
  std::map<QAction*, ui::TMenuItem*> Actions;
  AddItems(Popup, *Menu.Items(), Actions);
  ++F->Modal;
  QAction* Chosen = Popup.exec(QPoint(X, Y));
  --F->Modal;
  // The command runs here, outside Qt's frames, so its errors reach the caller.
  if (auto It = Actions.find(Chosen); Chosen && It != Actions.end()) It->second->Click();
}

void TQtBackend::MessageBox(const std::string& Caption, const std::string& Text,
                            std::uint32_t Flags) {
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  switch (Flags & 0xF0) {
  case 0x10:
    Icon = QMessageBox::Critical;
    break;
  case 0x20:
    Icon = QMessageBox::Question;
    break;
  case 0x30:
    Icon = QMessageBox::Warning;
    break;
  case 0x40:
    Icon = QMessageBox::Information;
    break;
  default:
    break;
  }
  QMessageBox Box(Icon, QString::fromStdString(Caption), QString::fromStdString(Text),
                  QMessageBox::Ok);
  ++F->Modal;
  Box.exec();
  --F->Modal;
}

} // namespace platform::qt
