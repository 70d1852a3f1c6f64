#include "ui/frmWeb.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace lexmora::ui {

frmWeb::frmWeb(QWidget* parent) : QDialog(parent), m_browser(new QTextBrowser(this)) {
    setObjectName("frmWeb");
    m_browser->setObjectName("webBrowser");
    m_browser->setOpenExternalLinks(true);
    auto* back = new QPushButton(tr("&Back"), this);
    auto* forward = new QPushButton(tr("&Forward"), this);
    auto* close = new QPushButton(tr("&Close"), this);
    back->setObjectName("cmdBack");
    forward->setObjectName("cmdForward");
    close->setObjectName("cmdClose");
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        if (m_helpCaptions)
            setWindowTitle(m_browser->documentTitle().isEmpty()
                               ? QFileInfo(url.toLocalFile()).fileName()
                               : m_browser->documentTitle());
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addLayout(buttons);
    resize(720, 560);
}

void frmWeb::showFile(const QString& path) {
    m_helpCaptions = false;
    setWindowTitle(QFileInfo(path).fileName() + "  ");
    m_browser->setSource(QUrl::fromLocalFile(path));
    show();
    raise();
}

void frmWeb::showHelpPage(const QString& path) {
    m_helpCaptions = true;
    m_browser->setSource(QUrl::fromLocalFile(path));
    // Opening the page shown already changes no source: the caption is set here as well.
    setWindowTitle(m_browser->documentTitle());
    show();
    raise();
}

} // namespace lexmora::ui
