#include "app/ProgressHUDView.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QRadialGradient>
#include <QVBoxLayout>

namespace {

// The darkest the overlay gets, at its edges.
constexpr double kEdgeAlpha = 0.75;
constexpr int kSpinnerWidth = 160;

} // namespace

ProgressHUDView::ProgressHUDView(QWidget* covered) : QWidget(covered)
{
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    auto* column = new QVBoxLayout(this);
    column->addStretch();
    spinProgressIndicator = new QProgressBar(this);
    spinProgressIndicator->setRange(0, 0);
    spinProgressIndicator->setTextVisible(false);
    spinProgressIndicator->setFixedWidth(kSpinnerWidth);
    column->addWidget(spinProgressIndicator, 0, Qt::AlignHCenter);
    messageTextField = new QLabel(tr("Adding documents\u2026"), this);
    messageTextField->setTextFormat(Qt::PlainText);
    messageTextField->setAlignment(Qt::AlignCenter);
    QPalette light = messageTextField->palette();
    light.setColor(QPalette::WindowText, Qt::white);
    messageTextField->setPalette(light);
    column->addWidget(messageTextField);
    column->addStretch();
    messageTextField->hide();
    spinProgressIndicator->hide();
    hide();
    setGeometry(covered->rect());
    covered->installEventFilter(this);
}

bool ProgressHUDView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void ProgressHUDView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPointF centre(width() / 2.0, height() / 2.0);
    QRadialGradient gradient(centre, float(std::max(width(), height())));
    gradient.setColorAt(0, QColor(0, 0, 0, 0));
    gradient.setColorAt(1, QColor::fromRgbF(0, 0, 0, kEdgeAlpha));
    gradient.setSpread(QGradient::PadSpread);
    painter.fillRect(rect(), gradient);
}

void ProgressHUDView::StartAddSpinning()
{
    spinProgressIndicator->show();
    messageTextField->show();
    show();
    raise();
    update();
}

void ProgressHUDView::StopAddSpinning()
{
    hide();
    update();
    spinProgressIndicator->hide();
    messageTextField->show();
}

void ProgressHUDView::SetMessageString(const QString& message)
{
    spinProgressIndicator->hide();
    messageTextField->setText(message);
    messageTextField->show();
    show();
    raise();
    update();
}

void ProgressHUDView::removeMessageString()
{
    hide();
    update();
    messageTextField->hide();
}
