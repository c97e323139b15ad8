#include "widgets/CustomTabView.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(color.alphaF() * alpha);
    return color;
}

QString rgba(const QColor& color)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alpha());
}

} // namespace

TabButtonLook tabButtonLook(const QColor& tabColor, bool selected)
{
    if (selected)
        return { withAlpha(tabColor, 0.8), QColor(Qt::white) };
    return { withAlpha(QColor(200, 214, 229), 0.5), withAlpha(QColor(Qt::black), 0.4) };
}

CustomTabView::CustomTabView(TabBarPosition position, const QList<Tab>& tabs, QWidget* parent)
    : QWidget(parent)
    , m_position(position)
{
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    m_bar = new QWidget(this);
    m_bar->setObjectName(QStringLiteral("tabBar"));
    auto* barLayout = new QHBoxLayout(m_bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->addStretch();
    for (int i = 0; i < tabs.size(); ++i) {
        const Tab& tab = tabs.at(i);
        m_titles.append(tab.title);
        m_iconNames.append(tab.iconName);
        m_colors.append(tab.color);
        auto* button = new QPushButton(tab.title, m_bar);
        button->setFixedSize(buttonSize);
        button->setFlat(true);
        connect(button, &QPushButton::clicked, this, [this, i] { setSelection(i); });
        barLayout->addWidget(button);
        m_buttons.append(button);
    }
    barLayout->addStretch();
    // The bar's shadow falls onto the content, and the bar is drawn above it.
    auto* shadow = new QGraphicsDropShadowEffect(m_bar);
    shadow->setColor(QColor(0, 0, 0, 64));
    shadow->setBlurRadius(6);
    shadow->setOffset(0, position == TabBarPosition::top ? 1 : -1);
    m_bar->setGraphicsEffect(shadow);

    auto* contentHost = new QWidget(this);
    m_content = new QStackedLayout(contentHost);
    m_content->setContentsMargins(0, 0, 0, 0);
    for (const Tab& tab : tabs)
        m_content->addWidget(tab.view ? tab.view : new QWidget());
    if (tabs.isEmpty())
        m_content->addWidget(new QWidget());
    contentHost->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    if (position == TabBarPosition::top)
        stack->addWidget(m_bar);
    stack->addWidget(contentHost, 1);
    if (position == TabBarPosition::bottom)
        stack->addWidget(m_bar);
    m_bar->raise();
    restyle();
}

void CustomTabView::setSelection(int index)
{
    if (index < 0 || index >= m_titles.size() || index == m_selection)
        return;
    m_selection = index;
    m_content->setCurrentIndex(index);
    restyle();
}

QWidget* CustomTabView::currentView() const
{
    return m_content->currentWidget();
}

void CustomTabView::restyle()
{
    for (int i = 0; i < m_buttons.size(); ++i) {
        const TabButtonLook look = tabButtonLook(m_colors.at(i), i == m_selection);
        m_buttons.at(i)->setStyleSheet(QStringLiteral(
            "QPushButton { background: %1; color: %2; border: none; border-radius: 10px; padding: 5px; }")
                                           .arg(rgba(look.background), rgba(look.foreground)));
    }
}
