#include "helpwindow.h"

#include "helpcontrols.h"
#include "helptext.h"
#include "widgets/accessibility.h"
#include "widgets/layout.h"
#include "widgets/plaintextbox.h"

#include <QCloseEvent>
#include <QKeyEvent>

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QString::fromUtf16(helpcontrols::kTitle));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(twips(helpcontrols::kWidth), twips(helpcontrols::kHeight));
    move(twips(2655), twips(945));
}

void HelpWindow::load()
{
    if (isLoaded()) {
        raise();
        activateWindow();
        return;
    }
    m_text = new PlainTextBox(this);
    const HelpControl &c = helpcontrols::kText;
    m_text->setObjectName(QLatin1String(c.name));
    m_text->setGeometry(twipsRect(c.left, c.top, c.width, c.height));
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    describeControl(m_text, c.accessibleName, c.accessibleDescription);
    show();
    m_text->show();
    m_text->setPlainText(helpLines().join(u'\n'));
    m_text->setFocus();
}

void HelpWindow::closeEvent(QCloseEvent *event)
{
    // Closing unloads: the box and whatever was typed into it go with it.
    if (m_text) {
        m_text->setParent(nullptr);
        m_text->deleteLater();
        m_text.clear();
    }
    QWidget::closeEvent(event);
}

void HelpWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !(event->modifiers() & ~Qt::KeypadModifier))
        close();
    else
        QWidget::keyPressEvent(event);
}
