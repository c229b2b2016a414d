// The plain-text font and colour: the family, style and size controls, the
// font chooser and the colour well, and the attributes built from them.
#include "app/AppDelegate.h"

#include "app/ColorWell.h"
#include "app/NumberScanner.h"
#include "platform/DictionaryKeys.h"

#include <QCollator>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>

#include <algorithm>

namespace {

constexpr int kDefaultFontSize = 12;

QFont fixedPitchFont(int size)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(size);
    return font;
}

// The style a font is drawn in, as its family's styles name it.
QString styleOf(const QFont& font)
{
    const QString named = QFontInfo(font).styleName();
    return named.isEmpty() ? QFontDatabase::styleString(font) : named;
}

} // namespace

void AppDelegate::connectFontControls()
{
    connect(fontPopUpButtonOutlet, &QComboBox::activated, this, &AppDelegate::ChangeSelectedFont);
    connect(showFontPanelButtonOutlet, &QPushButton::clicked, this, &AppDelegate::ShowFontPanel);
    connect(textColorWellOutlet, &ColorWell::colorChosen, this, &AppDelegate::setTextColorToControl);
}

void AppDelegate::initFontPopUpControl()
{
    QStringList families = QFontDatabase::families();
    QCollator order;
    order.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(families.begin(), families.end(),
              [&](const QString& a, const QString& b) { return order.compare(a, b) < 0; });
    fontPopUpButtonOutlet->addItems(families);
}

void AppDelegate::ChangeSelectedFont()
{
    fontStylePopupButtonOutlet->clear();
    fontStylePopupButtonOutlet->addItems(QFontDatabase::styles(fontPopUpButtonOutlet->currentText()));
    fontStylePopupButtonOutlet->setCurrentIndex(0);
}

std::int64_t AppDelegate::fontSizeFromControl() const
{
    return LeadingInteger(fontSizeComboBoxOutlet->currentText());
}

void AppDelegate::GetTextFontFromControl()
{
    const QString family = fontPopUpButtonOutlet->currentText();
    const QString style = fontStylePopupButtonOutlet->currentText();
    std::int64_t size = fontSizeFromControl();
    if (size <= 0)
        size = kDefaultFontSize;
    const int points = int(std::min<std::int64_t>(size, std::numeric_limits<int>::max()));
    const QStringList styles = QFontDatabase::styles(family);
    if (!family.isEmpty() && styles.contains(style))
        textFont = QFontDatabase::font(family, style, points);
    else
        textFont = fixedPitchFont(points);
}

void AppDelegate::GetTextAttributesFromControl()
{
    GetTextFontFromControl();
    QColor color = textColorWellOutlet->color();
    if (!color.isValid())
        color = Qt::black;
    textStringAttributes = QVariantMap{
        {QString(platform::keys::NSFontAttributeName), *textFont},
        {QString(platform::keys::NSForegroundColorAttributeName), color},
    };
}

void AppDelegate::ShowFontPanel()
{
    // Editing in progress ends first, so that the size typed counts.
    if (QWidget* focus = window->focusWidget())
        focus->clearFocus();
    GetTextAttributesFromControl();
    if (!m_fontPanel) {
        m_fontPanel = new QFontDialog(window);
        m_fontPanel->setOption(QFontDialog::NoButtons);
        m_fontPanel->setWindowTitle(tr("Fonts"));
        connect(m_fontPanel, &QFontDialog::currentFontChanged, this, &AppDelegate::changeFont);
    }
    const QSignalBlocker quiet(m_fontPanel);
    m_fontPanel->setCurrentFont(*textFont);
    m_fontPanel->show();
    m_fontPanel->raise();
}

void AppDelegate::changeFont(const QFont& font)
{
    setFontToControls(font);
    setFontSizeToControl(font);
}

void AppDelegate::setFontToControls(const QFont& font)
{
    const QString family = QFontInfo(font).family();
    if (family.isEmpty())
        return;
    fontPopUpButtonOutlet->setCurrentIndex(fontPopUpButtonOutlet->findText(family));
    fontStylePopupButtonOutlet->clear();
    fontStylePopupButtonOutlet->addItems(QFontDatabase::styles(family));
    const int style = fontStylePopupButtonOutlet->findText(styleOf(font));
    fontStylePopupButtonOutlet->setCurrentIndex(style >= 0 ? style : 0);
}

void AppDelegate::setFontSizeToControl(const QFont& font)
{
    const auto size = std::int64_t(font.pointSizeF());
    if (size > 0 && size != fontSizeFromControl())
        fontSizeComboBoxOutlet->setEditText(QString::number(size));
}

void AppDelegate::setTextColorToControl(const QColor& color)
{
    textColorWellOutlet->setColor(color);
}
