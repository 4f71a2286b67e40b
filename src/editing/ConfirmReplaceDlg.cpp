#include "editing/ConfirmReplaceDlg.h"

#include "editing/TextSearch.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int DialogWidth = 350;
constexpr int PanelHeight = 70;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 23;

} // namespace

TConfirmReplaceDialog::TConfirmReplaceDialog(QWidget *owner) : QDialog(owner)
{
    setObjectName(metaObject()->className());
    setWindowTitle("Confirm replace");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    FormCreate();
}

void TConfirmReplaceDialog::FormCreate()
{
    Image1 = new QLabel;
    Image1->setObjectName("Image1");
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(iconSize));
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblConfirmation = new QLabel;
    lblConfirmation->setObjectName("lblConfirmation");
    lblConfirmation->setAlignment(Qt::AlignCenter);
    lblConfirmation->setWordWrap(true);
    auto *panel = new QWidget;
    panel->setObjectName("Panel1");
    panel->setFixedHeight(PanelHeight);
    auto *top = new QHBoxLayout(panel);
    top->addWidget(Image1);
    top->addWidget(lblConfirmation, 1);

    const auto button = [this](const char *name, const char *caption, int result) {
        auto *b = new QPushButton(caption);
        b->setObjectName(name);
        b->setFixedSize(ButtonWidth, ButtonHeight);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        return b;
    };
    btnReplace = button("btnReplace", "&Yes", ResultReplace);
    btnReplace->setDefault(true);
    btnSkip = button("btnSkip", "&No", ResultSkip);
    btnCancel = button("btnCancel", "&Cancel", 2);
    btnReplaceAll = button("btnReplaceAll", "Yes to &all", ResultReplaceAll);
    // Left to right: Yes, No, Cancel, Yes to all, with equal gaps between them.
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(4, 4, 4, 4);
    buttons->addWidget(btnReplace);
    for (QPushButton *b : {btnSkip, btnCancel, btnReplaceAll}) {
        buttons->addStretch(1);
        buttons->addWidget(b);
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel);
    layout->addLayout(buttons);
    setFixedWidth(DialogWidth);
    setFixedHeight(sizeHint().height());
}

void TConfirmReplaceDialog::PlaceNearText(const QRect &area, int x, int lineTop, int lineBottom,
                                          const AnsiString &foundText)
{
    lblConfirmation->setText(ToQ("Replace this occurence of \"" + foundText + "\"?"));
    const QSize size = frameGeometry().size().expandedTo(this->size());
    move(ConfirmDialogPosition(area, x, lineTop, lineBottom, size));
}
