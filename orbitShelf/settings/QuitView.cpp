#include "settings/QuitView.h"

#include "dock/drawing/NamedImages.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QFrame* divider()
{
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

QuitView::QuitView(
    std::optional<QuitServices> services, QString contactEmail, QString chatLink, QWidget* parent)
    : QWidget(parent)
    , m_form(services ? std::move(*services) : standardQuitServices(this))
{
    setObjectName(QStringLiteral("QuitView"));
    auto* row = new QHBoxLayout(this);
    row->setAlignment(Qt::AlignVCenter);

    auto* header = new QVBoxLayout;
    header->setContentsMargins(10, 20, 0, 20);
    auto* picture = new QLabel;
    picture->setPixmap(QPixmap::fromImage(namedImage(QStringLiteral("Finder"), QSize(100, 100))));
    picture->setFixedSize(100, 100);
    header->addWidget(picture);
    header->addStretch(1);
    row->addLayout(header);

    auto* right = new QVBoxLayout;
    auto* form = new QVBoxLayout;
    form->setContentsMargins(10, 20, 10, 20);
    auto* intro
        = new QLabel(QStringLiteral("If you have any issues, please feedback to the developers. Thank you!"));
    intro->setWordWrap(true);
    form->addWidget(intro);
    m_email = new QLineEdit;
    m_email->setObjectName(QStringLiteral("email"));
    m_email->setPlaceholderText(QStringLiteral("Please tell me your Email"));
    m_email->setFixedSize(250, 30);
    form->addWidget(m_email);
    m_editor = new QPlainTextEdit(m_form.content);
    m_editor->setObjectName(QStringLiteral("content"));
    // 450 wide where the window allows; the quit window is narrower than
    // the picture column and a 450 editor side by side.
    m_editor->setMaximumWidth(450);
    m_editor->setMinimumWidth(300);
    m_editor->setFixedHeight(100);
    // Disabled, the blue frame would still invite typing: grey, on the
    // window's own colour, as a disabled field looks.
    m_editor->setStyleSheet(QStringLiteral("QPlainTextEdit { border: 2px solid blue; }"
                                           "QPlainTextEdit:disabled { border: 2px solid #b0b0b0;"
                                           " background: palette(window); color: #8a8a8a; }"));
    form->addWidget(m_editor);
    auto* reasonBox = new QGroupBox(QStringLiteral("Please let me know Why are you exiting the app?"));
    auto* reasonLayout = new QVBoxLayout(reasonBox);
    m_reasons = new QComboBox;
    m_reasons->setObjectName(QStringLiteral("reason"));
    m_reasons->addItems(QuitForm::reasons());
    m_reasons->setCurrentText(m_form.selectedReason);
    reasonLayout->addWidget(m_reasons);
    form->addWidget(reasonBox);
    if (!m_form.canSendFeedback()) {
        auto* notice = new QLabel(QuitForm::noServiceNotice());
        notice->setObjectName(QStringLiteral("noServiceNotice"));
        notice->setWordWrap(true);
        form->insertWidget(1, notice);
        for (QWidget* input : { static_cast<QWidget*>(m_email), static_cast<QWidget*>(m_editor),
                 static_cast<QWidget*>(m_reasons) })
            input->setEnabled(false);
    }
    right->addLayout(form);
    right->addWidget(divider());
    if (!contactEmail.isEmpty()) {
        auto* line = new QLabel(QStringLiteral("Contact Email: ") + contactEmail);
        line->setContentsMargins(5, 5, 5, 5);
        line->setTextInteractionFlags(Qt::TextSelectableByMouse);
        right->addWidget(line);
    }
    if (!chatLink.isEmpty()) {
        auto* line = new QLabel(QStringLiteral("Telegram: ") + chatLink);
        line->setContentsMargins(5, 5, 5, 5);
        line->setTextInteractionFlags(Qt::TextSelectableByMouse);
        right->addWidget(line);
    }
    right->addWidget(divider());
    auto* buttonRow = new QHBoxLayout;
    m_quit = new QPushButton;
    m_quit->setObjectName(QStringLiteral("quit"));
    m_quit->setStyleSheet(QStringLiteral(
        "QPushButton { color: white; background: #0a84ff; padding: 5px 12px; border: 2px solid white;"
        " border-radius: 10px; }"
        "QPushButton:disabled { background: #7fb8f5; }"));
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_quit);
    buttonRow->addStretch(1);
    right->addLayout(buttonRow);
    right->addStretch(1);
    row->addLayout(right);

    connect(m_email, &QLineEdit::textChanged, this, [this](const QString& text) { m_form.email = text; });
    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] {
        m_form.content = m_editor->toPlainText();
        refresh();
    });
    connect(m_reasons, &QComboBox::currentTextChanged, this, [this](const QString& reason) {
        m_form.selectQuitReason(reason);
        if (m_editor->toPlainText() != m_form.content)
            m_editor->setPlainText(m_form.content);
        refresh();
    });
    connect(m_quit, &QPushButton::clicked, this, [this] {
        m_quit->setEnabled(false);
        m_form.quitWithFeedback();
    });
    refresh();
}

void QuitView::refresh()
{
    m_quit->setText(m_form.buttonTitle());
    m_email->setStyleSheet(m_form.highLight
            ? QStringLiteral("QLineEdit { border: 2px solid red; border-radius: 5px; }")
            : QStringLiteral("QLineEdit:disabled { border: 1px solid #b0b0b0; background: palette(window); }"));
}
