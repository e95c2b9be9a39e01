#pragma once

#include <QDialog>

class QLabel;

namespace corvane::ui {

struct Services;

inline constexpr const char* kProductVersion = "2.2.0";
inline constexpr const char* kHomePage = "https://www.example.com/corvane/";
inline constexpr const char* kSupportAddress = "support@example.com";

// The home page and feedback commands, shared by the Help menu, the toolbar and the About box.
void openHomePage(const Services& services);
void sendFeedback(const Services& services);

// The About box: logo, name and version, owner, the two links and the legal notice.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    TForm3(const Services& services, QWidget* parent = nullptr);
    // The line with the product name and version, written again when the main window shows.
    void setVersionLine(const QString& text);

private:
    QLabel* m_version = nullptr;
};

}  // namespace corvane::ui
