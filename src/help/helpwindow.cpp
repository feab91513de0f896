#include "helpwindow.h"

#include "helptext.h"
#include "platform/layout.h"
#include "platform/plaintextbox.h"

#include <QCloseEvent>
#include <QIcon>
#include <QPainter>

QIcon helpIcon()
{
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, size / 16.0));
        p.setBrush(QColor(0, 128, 0));
        p.drawEllipse(QRectF(0.5, 0.5, size - 1, size - 1));
        QFont font;
        font.setBold(true);
        font.setPixelSize(size * 3 / 4);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("?"));
        icon.addPixmap(pixmap);
    }
    return icon;
}

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QStringLiteral("帮助使用"));
    setWindowIcon(helpIcon());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(twips(7170), twips(6735));
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
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setGeometry(twipsRect(240, 120, 6735, 6615));
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
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
