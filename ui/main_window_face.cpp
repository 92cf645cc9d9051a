// The main window's face: a row of six square tool buttons, the hover line, and the progress
// panel below, laid out so that the window can grow wider.
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/elided_label.h"
#include "ui/main_window.h"
#include "ui/messages.h"
#include "ui/widget_makers.h"

namespace velt::ui {

namespace {

constexpr int kWidth = 400;
constexpr int kButton = 56;
constexpr int kButtonGap = 8;
constexpr int kRowWidth = 6 * kButton + 5 * kButtonGap;

// The design's height for a line of the panel, or more where the font is larger (a large font
// setting or a screen with more dots per inch), so that no line is cut.
int LineHeight(const QWidget* widget, int design) {
  return std::max(design, widget->fontMetrics().height() + 2);
}

}  // namespace

void TForm1::BuildFace() {
  auto* face = new QWidget(this);
  face->setObjectName(QStringLiteral("face"));
  face->setMouseTracking(true);
  face->installEventFilter(this);
  setCentralWidget(face);

  // The button row, centred; the banner takes its place, in the same cell, while work runs.
  auto* row = new QHBoxLayout;
  row->setSpacing(kButtonGap);
  row->addStretch();
  const char* pictures[] = {"encrypt-file",   "decrypt-file", "encrypt-folder",
                            "decrypt-folder", "options",      "exit"};
  const char* hovers[] = {messages::kHoverEncryptFile, messages::kHoverDecryptFile,
                          messages::kHoverEncryptDir,  messages::kHoverDecryptDir,
                          messages::kHoverOptions,     messages::kHoverExit};
  QToolButton** buttons[] = {&SpeedButton1, &SpeedButton2, &SpeedButton3,
                             &SpeedButton4, &SpeedButton5, &SpeedButton6};
  for (int i = 0; i < 6; ++i) {
    auto* b = new QToolButton(face);
    b->setObjectName(QStringLiteral("SpeedButton%1").arg(i + 1));
    b->setIcon(QIcon(QStringLiteral(":/velt/%1.png").arg(L(pictures[i]))));
    b->setIconSize(QSize(40, 40));
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setAutoRaise(true);
    // Reached with Tab, pressed with Space or Enter; a click leaves the focus where it was.
    b->setFocusPolicy(Qt::TabFocus);
    b->setToolTip(L(hovers[i]));
    b->setAccessibleName(L(hovers[i]));
    b->setFixedSize(kButton, kButton);
    b->setMouseTracking(true);
    // A move over a button belongs to the button, not to the bare window behind it.
    b->setAttribute(Qt::WA_NoMousePropagation);
    b->installEventFilter(this);
    row->addWidget(b);
    *buttons[i] = b;
  }
  row->addStretch();
  connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::EncryptFile);
  connect(SpeedButton2, &QToolButton::clicked, this, &TForm1::DecryptFile);
  connect(SpeedButton3, &QToolButton::clicked, this, &TForm1::EncryptDirectory);
  connect(SpeedButton4, &QToolButton::clicked, this, &TForm1::DecryptDirectory);
  connect(SpeedButton6, &QToolButton::clicked, this, &TForm1::ExitProgram);
  // SpeedButton5 acts on the release of any mouse button (eventFilter).

  Image1 = new QLabel(face);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setFixedSize(kRowWidth, kButton);
  Image1->setPixmap(QPixmap(QStringLiteral(":/velt/banner.png")));
  Image1->setScaledContents(true);
  // Laid over the row even while hidden, so that it covers the row exactly when it shows.
  QSizePolicy banner = Image1->sizePolicy();
  banner.setRetainSizeWhenHidden(true);
  Image1->setSizePolicy(banner);
  Image1->hide();
  auto* top = new QGridLayout;
  top->setContentsMargins(0, 0, 0, 0);
  top->addLayout(row, 0, 0);
  top->addWidget(Image1, 0, 0, Qt::AlignCenter);

  message = new QLabel(L(messages::kSelectOption), face);
  message->setObjectName(QStringLiteral("message"));
  message->setAlignment(Qt::AlignCenter);
  message->setFixedHeight(LineHeight(message, 22));

  BuildPanel(face);
  auto* layout = new QVBoxLayout(face);
  layout->setSpacing(0);
  layout->addLayout(top);
  layout->addSpacing(8);
  layout->addWidget(message);
  layout->addSpacing(6);
  layout->addWidget(enc);

  resize(kWidth, height());
  FitHeight();
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TForm1::BuildPanel(QWidget* face) {
  enc = new QFrame(face);
  enc->setObjectName(QStringLiteral("enc"));
  enc->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  auto label = [this](const char* name, const char* text) {
    auto* l = new QLabel(L(text), enc);
    l->setObjectName(L(name));
    l->setFixedHeight(LineHeight(l, 18));
    return l;
  };
  auto bar = [this](const char* name) {
    auto* b = new QProgressBar(enc);
    b->setObjectName(L(name));
    b->setRange(0, 100);
    b->setValue(0);
    b->setTextVisible(false);
    b->setFixedHeight(LineHeight(b, 18));
    return b;
  };
  singlemessage = label("singlemessage", messages::kPanelStatus);
  // Long names lose their middle, not the end that tells files apart; the tooltip has the path.
  filename = new ElidedLabel(enc);
  filename->setObjectName(QStringLiteral("filename"));
  filename->setFixedHeight(LineHeight(filename, 18));
  pb = bar("pb");
  pos = label("pos", messages::kPanelPercent);
  total = label("total", messages::kPanelTotal);
  totpb = bar("totpb");
  totpb->setValue(100);
  totpos = label("totpos", messages::kPanelTotalPercent);
  for (QLabel* percent : {pos, totpos}) {
    percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    percent->setFixedWidth(
        std::max(46, percent->fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 6));
  }
  // A single file hides the totals row but keeps its place, so the panel keeps one shape.
  for (QWidget* w : std::initializer_list<QWidget*>{total, totpb, totpos}) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
  }
  Button1 = new QPushButton(L(messages::kStop), enc);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setFixedSize(std::max(90, Button1->sizeHint().width()),
                        LineHeight(Button1, 28 - 10) + 10);
  connect(Button1, &QPushButton::clicked, this, &TForm1::StopPressed);

  auto barRow = [](QProgressBar* bar, QLabel* percent) {
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(bar, 1);
    row->addWidget(percent);
    return row;
  };
  auto* layout = new QVBoxLayout(enc);
  const int frame = enc->frameWidth();
  layout->setContentsMargins(10 - frame, 8 - frame, 10 - frame, 10 - frame);
  layout->setSpacing(0);
  layout->addWidget(singlemessage);
  layout->addSpacing(2);
  layout->addWidget(filename);
  layout->addSpacing(6);
  layout->addLayout(barRow(pb, pos));
  layout->addSpacing(10);
  layout->addWidget(total);
  layout->addSpacing(4);
  layout->addLayout(barRow(totpb, totpos));
  layout->addSpacing(10);
  layout->addWidget(Button1, 0, Qt::AlignHCenter);
  enc->hide();
}

void TForm1::FitHeight() {
  // As high as the face needs, the panel shown or not; as wide as the user likes.
  centralWidget()->layout()->setContentsMargins(8, 8, 8, enc->isHidden() ? 0 : 8);
  centralWidget()->layout()->activate();
  layout()->activate();
  setFixedHeight(sizeHint().height());
}

}  // namespace velt::ui
