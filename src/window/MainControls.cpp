#include "window/MainControls.h"

#include "window/FileListBox.h"
#include "window/PictureCanvas.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <cmath>
#include <utility>

namespace zpk {

namespace {

// Captions are drawn at 12 pixels (9 points at 96 dots per inch), the size
// the control rectangles were measured for. Any of these has Hangul.
const QStringList& captionFonts()
{
    static const QStringList families = {QStringLiteral("Gulim"), QStringLiteral("NanumGothic"),
                                         QStringLiteral("NanumBarunGothic"),
                                         QStringLiteral("Noto Sans CJK KR")};
    return families;
}

// Command2, which covers Command1 wholly: when Command1 has the focus (it
// keeps its place in the tab order), Command2 shows the focus frame for it,
// so a keyboard user sees where the focus is; Space then draws again.
class FrontButton : public QPushButton {
public:
    FrontButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}
    void setHidden(QWidget* behind) { m_behind = behind; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        if (m_behind != nullptr && m_behind->hasFocus()) option.state |= QStyle::State_HasFocus;
        painter.drawControl(QStyle::CE_PushButton, option);
    }

private:
    QWidget* m_behind = nullptr;
};

// Fusion, but for the frames of the lists: Fusion strokes a frame along
// the middle of its outermost pixels, which at a fractional scale (1.25,
// 1.5, 1.75) lies a device pixel inside the frame's last row and column;
// the list's viewport, its rectangle rounded outwards, then paints over
// that line. Filled one pixel wide, the frame covers the last device row
// and column the widget owns, outside the viewport.
class FrameStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element != PE_Frame || widget == nullptr || !widget->inherits("QAbstractScrollArea")) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        // the colour of Fusion's frame: its outline, a little lighter
        const QColor colour = option->palette.window().color().darker(140).lighter(108);
        const QRect& r = option->rect;
        painter->fillRect(QRect(r.left(), r.top(), r.width(), 1), colour);
        painter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), colour);
        painter->fillRect(QRect(r.left(), r.top(), 1, r.height()), colour);
        painter->fillRect(QRect(r.right(), r.top(), 1, r.height()), colour);
    }
};

// WCAG's relative luminance of a colour, and the contrast of two.
double luminance(const QColor& colour)
{
    const auto linear = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The least contrast text may have with its background (WCAG AA).
constexpr double kReadableContrast = 4.5;
// How many steps a colour takes towards black or white to reach it.
constexpr int kMixSteps = 16;

// `text` itself where it reads on `back`, else `text` moved towards black
// or white, whichever stands further from `back`, until it reads; one of
// the two always does (at worst 4.58:1).
QColor readableOn(const QColor& text, const QColor& back)
{
    if (contrast(text, back) >= kReadableContrast) return text;
    const QColor far =
        contrast(Qt::black, back) > contrast(Qt::white, back) ? QColor(Qt::black) : QColor(Qt::white);
    for (int step = 1; step < kMixSteps; ++step) {
        const auto mix = [step](int from, int to) {
            return (from * (kMixSteps - step) + to * step) / kMixSteps;
        };
        const QColor mixed(mix(text.red(), far.red()), mix(text.green(), far.green()),
                           mix(text.blue(), far.blue()));
        if (contrast(mixed, back) >= kReadableContrast) return mixed;
    }
    return far;
}

}  // namespace

void MainControls::setup(QWidget* window, const QByteArray& folder)
{
    QFont captionFont = window->font();
    captionFont.setFamilies(captionFonts() + QStringList{captionFont.family()});
    captionFont.setPixelSize(12);
    window->setFont(captionFont);

    // Made back to front: each control is stacked in front of those made
    // before it. Command1 hides wholly behind Command2, so the mouse never
    // reaches it; it is the render trigger, and stays in the tab order.
    picture1 = new PictureCanvas(window);
    picture1->setObjectName(QStringLiteral("Picture1"));
    picture1->setGeometry(192, 16, 377, 449);

    command1 = new QPushButton(tr("가져오기"), window);
    command1->setObjectName(QStringLiteral("Command1"));
    command1->setGeometry(104, 8, 81, 41);
    // Nothing of it ever shows: its repaints, when the busy gate disables
    // and enables it around each render, would be wasted.
    command1->setUpdatesEnabled(false);

    auto* front = new FrontButton(tr("파일불러오기"), window);
    front->setHidden(command1);
    command2 = front;
    command2->setObjectName(QStringLiteral("Command2"));
    command2->setGeometry(8, 8, 177, 41);

    list1 = new QListWidget(window);
    list1->setObjectName(QStringLiteral("List1"));
    list1->setGeometry(8, 56, 177, 148);
    list1->setSelectionMode(QAbstractItemView::SingleSelection);
    list1->setSortingEnabled(false);
    // Every row is one line of digits: a click lays out no row again.
    list1->setUniformItemSizes(true);

    modeClear = new QCheckBox(tr("초기화"), window);
    modeClear->setObjectName(QStringLiteral("mode_clear"));
    modeClear->setGeometry(8, 208, 81, 17);
    modeClear->setChecked(true);

    modeBack = new QCheckBox(tr("첫번째 버리기"), window);
    modeBack->setObjectName(QStringLiteral("mode_back"));
    modeBack->setGeometry(8, 224, 105, 17);

    checkColor = new QCheckBox(tr("UserColor"), window);
    checkColor->setObjectName(QStringLiteral("check_color"));
    checkColor->setGeometry(8, 248, 81, 17);

    const auto colourBox = [window](const char* name, int left) {
        auto* box = new QLineEdit(QStringLiteral("0"), window);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(left, 248, 33, 18);
        // an 18-pixel box leaves no room for the usual margins around the text
        box->setTextMargins(0, 0, 0, 0);
        return box;
    };
    color1 = colourBox("color1", 88);
    color2 = colourBox("color2", 120);
    color3 = colourBox("color3", 152);

    file1 = new FileListBox(folder, window);
    file1->setObjectName(QStringLiteral("File1"));
    file1->setGeometry(8, 272, 177, 198);

    QWidget::setTabOrder(picture1, command1);
    QWidget::setTabOrder(command1, command2);
    QWidget::setTabOrder(command2, list1);
    QWidget::setTabOrder(list1, modeClear);
    QWidget::setTabOrder(modeClear, modeBack);
    QWidget::setTabOrder(modeBack, checkColor);
    QWidget::setTabOrder(checkColor, color1);
    QWidget::setTabOrder(color1, color2);
    QWidget::setTabOrder(color2, color3);
    QWidget::setTabOrder(color3, file1);
}

void MainControls::describe()
{
    const auto describe = [](QWidget* w, const QString& name, const QString& description) {
        w->setAccessibleName(name);
        w->setAccessibleDescription(description);
    };
    describe(picture1, tr("그림"), tr("선택한 항목의 그림. 메뉴 키나 Shift+F10으로 메뉴를 엽니다."));
    describe(command1, tr("가져오기"), tr("선택한 항목을 다시 그립니다."));
    describe(command2, tr("파일불러오기"), tr("zpk 파일을 고르는 창을 엽니다."));
    describe(list1, tr("항목"), tr("불러온 파일의 항목. 고르면 그 그림을 그립니다."));
    describe(modeClear, tr("초기화"), tr("그리기 전에 그림판을 흰색으로 지웁니다."));
    describe(modeBack, tr("첫번째 버리기"), tr("값 0인 픽셀은 그리지 않습니다."));
    describe(checkColor, tr("UserColor"), tr("팔레트 대신 세 값으로 만든 색 띠로 그립니다."));
    describe(color1, tr("색 1"), tr("색 띠의 첫째 값, 0부터 255까지"));
    describe(color2, tr("색 2"), tr("색 띠의 둘째 값, 0부터 255까지"));
    describe(color3, tr("색 3"), tr("색 띠의 셋째 값, 0부터 255까지"));
    describe(file1, tr("파일"), tr("이 폴더의 zpk 파일. 고르면 불러옵니다."));
}

void MainControls::pinStyle(QWidget* window)
{
    // The control rectangles are fixed and were measured with Fusion: other
    // styles draw larger frames and indicators that would overlap. The
    // window keeps the user's palette (a dark one stays dark).
    QStyle* base = QStyleFactory::create(QStringLiteral("Fusion"));
    if (base == nullptr) return;
    auto* fusion = new FrameStyle(base);  // which owns `base`
    fusion->setParent(window);
    // every widget of the window, the canvas menu among them, down to
    // the scroll bars inside the lists
    const auto pin = [fusion](const auto& self, QWidget* widget) -> void {
        widget->setStyle(fusion);
        for (QObject* child : widget->children())
            if (auto* w = qobject_cast<QWidget*>(child)) self(self, w);
    };
    pin(pin, window);
    keepTextReadable(window);
}

void MainControls::keepTextReadable(QWidget* window)
{
    // The user's palette, but for text that would not read on its
    // background: a theme's selection colour under white names (File1
    // marks the loaded file so), a light text role left on a light
    // background. Disabled text is left as it is.
    window->setPalette(QPalette());
    QPalette palette = window->palette();
    static constexpr std::pair<QPalette::ColorRole, QPalette::ColorRole> kPairs[] = {
        {QPalette::Text, QPalette::Base},
        {QPalette::WindowText, QPalette::Window},
        {QPalette::ButtonText, QPalette::Button},
        {QPalette::HighlightedText, QPalette::Highlight},
    };
    QPalette readable;
    bool changed = false;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (const auto& [text, back] : kPairs) {
            const QColor colour = readableOn(palette.color(group, text), palette.color(group, back));
            if (colour == palette.color(group, text)) continue;
            readable.setColor(group, text, colour);
            changed = true;
        }
    // only the roles changed are the window's own: the rest follow the
    // application's palette
    if (changed) window->setPalette(readable);
}

}  // namespace zpk
