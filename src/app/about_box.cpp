#include "app/about_box.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/language_pack.h"
#include "app/retext.h"

namespace tesmira {
namespace {

// The template texts; a language file without a key leaves these standing.
const struct {
    int id;
    const char* text;
} kLines[] = {
    {1018, "Tesmira"},
    {1019, ""},
    {1020, "Phone: +1 555 0100"},
    {1021, "Fax: +1 555 0101"},
    {1022, "Address: 1 Example Road, Springfield"},
    {1023, "Web: https://tesmira.example.org"},
    {1024, "Mail: support@tesmira.example.org"},
};

}  // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Tesmira"));
    auto* layout = new QVBoxLayout(this);
    for (const auto& item : kLines) {
        auto* label = new QLabel(QString::fromUtf8(item.text), this);
        label->setProperty(kControlIdProperty, item.id);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (item.id == 1018) {
            QFont font = label->font();
            font.setBold(true);
            label->setFont(font);
        }
        layout->addWidget(label);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setProperty(kControlIdProperty, 1);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);

    ApplyLanguage("");
    ReTextWindow(this, kDialogId);
}

QLabel* AboutBox::line(int id) const {
    for (QLabel* label : findChildren<QLabel*>()) {
        bool ok = false;
        if (label->property(kControlIdProperty).toInt(&ok) == id && ok) return label;
    }
    return nullptr;
}

}  // namespace tesmira
