#include "qt/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

#include "app/DownloadForm.h"

namespace quibrant::qt {

namespace {

QMessageBox::Icon toQtIcon(platform::MessageIcon icon) {
    switch (icon) {
        case platform::MessageIcon::Critical:
            return QMessageBox::Critical;
        case platform::MessageIcon::Information:
            return QMessageBox::Information;
        case platform::MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void QtMessageBoxes::show(const std::string& text, const std::string& title,
                          platform::MessageIcon icon) {
    const QString shownTitle =
        QString::fromStdString(title.empty() ? std::string(kAppTitle) : title);
    QMessageBox box(toQtIcon(icon), shownTitle, QString::fromStdString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    // Plain text: descriptions may carry paths or server texts with markup
    // characters, which must show as typed.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace quibrant::qt
