#pragma once

#include <QDialog>

class QLabel;

namespace tesmira {

// The about box: product line, a second line and five contact lines, re-texted as
// dialog 100 (Apply language with an empty code first, as every window does when it
// is made). Labels carry control ids 1018 to 1024, the OK button 1.
class AboutBox : public QDialog {
    Q_OBJECT

public:
    static constexpr int kDialogId = 100;

    explicit AboutBox(QWidget* parent = nullptr);

    // The label with control id `id` (1018 to 1024), or nullptr.
    QLabel* line(int id) const;
};

}  // namespace tesmira
