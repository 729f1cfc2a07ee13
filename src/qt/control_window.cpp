#include "qt/control_window.hpp"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "qt/actions_menu.hpp"
#include "qt/twips.hpp"

namespace bhsim {
namespace {

// The model's text shown in a widget of any of the three kinds. A field is written only when its text
// differs, so that a field being typed into keeps its cursor; a text the program wrote shows its
// beginning, also where it is longer than the box.
void showText(QWidget* widget, const QString& text) {
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    if (edit->text() == text) return;
    edit->setText(text);
    edit->setCursorPosition(0);
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
    button->setText(text);
  }
}

// The frame allowances of the window's outer size in twips.
constexpr double kFrameWidth = 120;
constexpr double kFrameHeight = 510;
// Labels at the window's left edge keep their first letter off the edge.
constexpr int kEdgeIndent = 2;

// The captions are sized for a small, narrow font: "10^6" has 25 pixels, "Total time" 49. DejaVu Sans
// Condensed (fonts-dejavu-extra) at 10 pixels draws every caption whole; where that face is missing, the
// stretch narrows the regular one.
QFont captionFont() {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(10);
  font.setStretch(QFont::SemiCondensed);
  return font;
}

// Every text field as a `name<TAB>text` line, in the control table's order.
QString valuesText(const ControlPanel& panel) {
  QString text;
  for (const ControlDesign& design : controlTable()) {
    if (design.kind != ControlKind::TextField) continue;
    text += QString::fromUtf8(design.name.data(), static_cast<qsizetype>(design.name.size())) + u'\t' +
            QString::fromStdString(panel.text(design.id)) + u'\n';
  }
  return text;
}

}  // namespace

ControlWindow::ControlWindow(ControlPanel& panel, std::function<void()> onClose)
    : panel_(panel), onClose_(std::move(onClose)) {
  setWindowTitle(QString::fromUtf8(ControlPanel::kCaption.data(),
                                   static_cast<qsizetype>(ControlPanel::kCaption.size())));
  setObjectName(QStringLiteral("Form1"));
  setFont(captionFont());
  for (const ControlDesign& design : controlTable()) createControl(design);
  chainTabOrder();
  auto* copy = new QAction(QStringLiteral("Copy Values"), this);
  connect(copy, &QAction::triggered, this,
          [this] { QGuiApplication::clipboard()->setText(valuesText(panel_)); });
  addAction(copy);
  useActionsMenu(this);
  windowChanged();
  panel_.addObserver(this);
}

ControlWindow::~ControlWindow() {
  panel_.removeObserver(this);
}

void ControlWindow::offerGravityChoice(GravityModel& choice) {
  gravityMenu_ = std::make_unique<QMenu>(QStringLiteral("Gravity"));
  gravityMenu_->setToolTipsVisible(true);
  auto* models = new QActionGroup(gravityMenu_.get());
  const auto text = [](std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
  };
  for (const GravityModelRow& row : kGravityModels) {
    QString caption = text(row.label);
    if (!row.shortName.empty()) caption += QStringLiteral("  (") + text(row.shortName) + QStringLiteral(")");
    QAction* action = gravityMenu_->addAction(caption);
    action->setToolTip(text(row.help));
    action->setCheckable(true);
    action->setChecked(row.model == choice);
    action->setActionGroup(models);
    connect(action, &QAction::triggered, this, [&choice, model = row.model] { choice = model; });
  }
  addAction(gravityMenu_->menuAction());
}

void ControlWindow::createControl(const ControlDesign& design) {
  const ControlId id = design.id;
  QWidget* widget = nullptr;
  switch (design.kind) {
    case ControlKind::Button: {
      auto* button = new QPushButton(this);
      connect(button, &QPushButton::clicked, this, [this, id] { panel_.userClick(id); });
      widget = button;
      break;
    }
    case ControlKind::TextField: {
      auto* edit = new QLineEdit(this);
      connect(edit, &QLineEdit::textEdited, this,
              [this, id](const QString& text) { panel_.userEdit(id, text.toStdString()); });
      edit->installEventFilter(this);
      widget = edit;
      break;
    }
    case ControlKind::Label: {
      auto* label = new QLabel(this);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      if (design.left == 0) label->setIndent(kEdgeIndent);
      widget = label;
      break;
    }
  }
  widget->setObjectName(QString::fromUtf8(design.name.data(), static_cast<qsizetype>(design.name.size())));
  widgets_[indexOf(id)] = widget;
  controlChanged(id);
}

// Tab order by the controls' tab index; labels take no focus and drop out of the chain.
void ControlWindow::chainTabOrder() {
  std::vector<const ControlDesign*> order;
  for (const ControlDesign& design : controlTable()) {
    if (design.kind != ControlKind::Label) order.push_back(&design);
  }
  std::sort(order.begin(), order.end(),
            [](const ControlDesign* a, const ControlDesign* b) { return a->tabIndex < b->tabIndex; });
  for (std::size_t i = 1; i < order.size(); ++i) {
    setTabOrder(control(order[i - 1]->id), control(order[i]->id));
  }
  control(order.front()->id)->setFocus();
}

void ControlWindow::controlChanged(ControlId id) {
  const ControlDesign& design = controlDesign(id);
  QWidget* widget = control(id);
  showText(widget, QString::fromStdString(panel_.text(id)));
  widget->setGeometry(twipsRect(design.left, panel_.top(id), design.width, design.height));
  widget->setVisible(panel_.visible(id));
}

void ControlWindow::windowChanged() {
  const WindowGeometry& g = panel_.geometry();
  move(twipsToPixels(g.left), twipsToPixels(g.top));
  resize(twipsToPixels(g.width - kFrameWidth), twipsToPixels(g.height - kFrameHeight));
}

// A press of the left button into a text field is that field's click.
bool ControlWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (auto id = controlByName(watched->objectName().toStdString())) panel_.userClick(*id);
  }
  return QWidget::eventFilter(watched, event);
}

void ControlWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (onClose_) onClose_();
}

}  // namespace bhsim
