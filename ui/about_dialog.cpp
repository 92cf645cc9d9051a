#include "ui/about_dialog.h"

#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/messages.h"
#include "ui/widget_makers.h"

namespace velt::ui {

TForm7::TForm7(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form7"));
  setWindowTitle(L(messages::kAboutCaption));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  auto* frame = new QFrame(this);
  frame->setObjectName(QStringLiteral("Panel1"));
  frame->setFrameStyle(QFrame::Box | QFrame::Plain);
  frame->setAutoFillBackground(true);
  // The picture's mount follows the palette: white in a light one, not a glare in a dark one.
  frame->setBackgroundRole(QPalette::Base);
  Image1 = new QLabel(frame);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setFixedSize(96, 96);
  // Drawn from the large picture at the screen's pixel ratio, so that it stays sharp when scaled.
  Image1->setPixmap(
      QIcon(QStringLiteral(":/velt/about.png")).pixmap(QSize(96, 96), devicePixelRatioF()));
  auto* frameLayout = new QVBoxLayout(frame);
  frameLayout->setContentsMargins(6, 6, 6, 6);
  frameLayout->addWidget(Image1);

  auto* product = new QLabel(L(messages::kProductName), this);
  product->setObjectName(QStringLiteral("ProductName"));
  QFont big = product->font();
  big.setPointSizeF(big.pointSizeF() * 2.2);
  big.setBold(true);
  product->setFont(big);
  auto* longName = new QLabel(
      L(messages::kLongNameLine1) + QLatin1Char('\n') + L(messages::kLongNameLine2), this);
  longName->setObjectName(QStringLiteral("LongName"));

  auto* title = new QVBoxLayout;
  title->addWidget(product);
  title->addWidget(longName);
  title->addStretch();
  auto* top = new QHBoxLayout;
  top->addWidget(frame, 0, Qt::AlignTop);
  top->addSpacing(12);
  top->addLayout(title, 1);

  auto* version = new QVBoxLayout;
  const char* names[] = {"Version", "Version1", "BuildNumber", "BuildDate"};
  const char* lines[] = {messages::kVersionMajor, messages::kVersionMinor, messages::kBuildNumber,
                         messages::kBuildDate};
  for (int i = 0; i < 4; ++i) {
    auto* line = new QLabel(L(lines[i]), this);
    line->setObjectName(L(names[i]));
    version->addWidget(line);
  }
  // The version of this build, the one velt-cli --version and the package give.
  auto* build = new QLabel(QStringLiteral("Program version: " VELT_VERSION), this);
  build->setObjectName(QStringLiteral("ProgramVersion"));
  version->addWidget(build);

  Button1 = new QPushButton(L(messages::kOK), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addSpacing(8);
  layout->addLayout(version);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  setFixedSize(sizeHint().expandedTo(QSize(360, 0)));
}

}  // namespace velt::ui
