// The Qt window: the window's scenarios of tests/window on the Qt driver, and
// what only the Qt toolkit adds (its drawing, key events, accessible names).
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <algorithm>
#include <utility>

#include "QtWindowDriver.h"
#include "app/FormLayout.h"
#include "window/WindowScenarios.h"

namespace quibrant::test {

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WindowScenarios, QtWindowDriver);

namespace {

// Counts the Enter keys that reach the watched widgets.
class EnterCounter : public QObject {
  public:
    int count = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                ++count;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

// The strongest contrast of a pixel of the area with the colour.
double strongestContrast(const QImage& image, const QRect& area, platform::Color against) {
    double best = 1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            best = std::max(best,
                            contrastRatio(QtWindowDriver::color(image.pixelColor(x, y)), against));
        }
    }
    return best;
}

class QtWindowTest : public testing::Test {
  protected:
    void SetUp() override { d.start(); }
    QWidget& widget(const char* name) { return d.widget(name); }

    QtWindowDriver d;
};

TEST_F(QtWindowTest, TheWindowHasItsSizeIconAndPlaces) {
    EXPECT_EQ(d.window->width(), 651);
    EXPECT_EQ(d.window->height(), 176);
    EXPECT_EQ(d.window->minimumSize(), d.window->maximumSize());
    EXPECT_FALSE(d.window->windowIcon().isNull());
    // Each label ends before the box it names, whatever the font.
    for (auto [label, input] : {std::pair{"Label1_0", "Text1"}, std::pair{"Label1_1", "Text2"},
                                std::pair{"Label1_3", "Text4"}}) {
        const auto& caption = d.child<QLabel>(label);
        EXPECT_LT(caption.x() + caption.fontMetrics().horizontalAdvance(caption.text()),
                  widget(input).x())
            << label;
    }
    // The open padlock waits exactly under the closed one.
    EXPECT_EQ(widget("Picture1_1").geometry(), widget("Picture1_0").geometry());
}

TEST_F(QtWindowTest, EnterNeverReachesABox) {
    EnterCounter counter;
    for (const char* name : {"Text1", "Text2", "Text3", "Text4"}) {
        widget(name).installEventFilter(&counter);
    }
    for (const char* name : {"Text4", "Text1", "Text2"}) {
        for (const Key enter : {Key::Enter, Key::KeypadEnter}) {
            d.focus(name);
            d.press(enter);
            EXPECT_NE(d.focusName(), name) << "Enter moved on";
        }
    }
    EXPECT_EQ(counter.count, 0);
}

TEST_F(QtWindowTest, DisabledCaptionsStillRead) {
    d.type(acceptedCode());
    d.click("Command2");
    ASSERT_FALSE(d.enabled("Frame2"));
    // Disabled, the coloured buttons' captions still read on their colours:
    // the caption's strongest pixel, inside the bevel.
    for (const char* name : {"Command1", "Command2", "Command3"}) {
        const QImage image = widget(name).grab().toImage();
        const platform::Color back = QtWindowDriver::color(image.pixelColor(3, 3));
        const double best = strongestContrast(image, image.rect().adjusted(5, 5, -5, -5), back);
        EXPECT_GE(best, 4.5) << name;
        EXPECT_LT(best, contrastRatio(0, back)) << name << ": not black, as enabled";
    }
    // And the labels of the disabled inputs still read on the frame: their
    // colour has the contrast, and their text is drawn in it, not black as
    // when enabled. Smoothing lightens the edges of the strokes, but not to
    // the faint grey of the toolkit's own.
    for (const char* name : {"Label1_0", "Label1_1", "Label1_3"}) {
        const QColor shown = widget(name).palette().color(QPalette::WindowText);
        EXPECT_FALSE(d.enabled(name)) << name;
        EXPECT_GE(contrastRatio(QtWindowDriver::color(shown), kFrameColor), 4.5) << name;
        const QImage image = widget(name).grab().toImage();
        const double best = strongestContrast(image, image.rect(), kFrameColor);
        EXPECT_GE(best, 3) << name;
        EXPECT_LT(best, contrastRatio(0, kFrameColor)) << name << ": not black";
    }
}

TEST_F(QtWindowTest, EveryInputAndPictureHasAnAccessibleName) {
    const auto name = [this](const char* control) {
        return QAccessible::queryAccessibleInterface(&widget(control))
            ->text(QAccessible::Name)
            .toStdString();
    };
    // A box is named by the label before it; a button by its caption, read
    // as one line.
    for (auto [box, label] : {std::pair{"Text1", "Label1_0"}, std::pair{"Text2", "Label1_1"},
                              std::pair{"Text3", "Label1_2"}, std::pair{"Text4", "Label1_3"}}) {
        EXPECT_EQ(name(box), formControl(label)->caption) << box;
    }
    for (const char* button : {"Command1", "Command3"}) {
        EXPECT_EQ(name(button),
                  QString::fromUtf8(formControl(button)->caption).simplified().toStdString());
    }
    EXPECT_EQ(name("ProgressBar1"), formControl("ProgressBar1")->caption);
    for (const char* picture : {"Picture1_0", "Picture1_1", "Picture2_0"}) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&widget(picture));
        EXPECT_FALSE(face->text(QAccessible::Name).isEmpty()) << picture;
        EXPECT_EQ(face->role(), QAccessible::Button) << picture;
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&widget("ProgressBar1"))->role(),
              QAccessible::ProgressBar);
    EXPECT_EQ(widget("Picture2_0").toolTip().toStdString(), kFolderToolTip);
}

TEST_F(QtWindowTest, ButtonsAndFramesShowTheirColours) {
    const QImage image = d.window->grab().toImage();
    // For a look at the window: QUIBRANT_GRAB_TO=/tmp/window.png
    const QString grabPath = qEnvironmentVariable("QUIBRANT_GRAB_TO");
    if (!grabPath.isEmpty()) {
        EXPECT_TRUE(image.save(grabPath));
    }
    const auto colourAt = [&](const char* control, QPoint inside) {
        return image.pixelColor(widget(control).mapTo(d.window.get(), inside));
    };
    EXPECT_EQ(colourAt("Command1", {3, 3}), QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(colourAt("Command2", {3, 3}), QColor(0xC0, 0xFF, 0xC0));
    EXPECT_EQ(colourAt("Command3", {3, 3}), QColor(0xFF, 0xFF, 0xC0));
    EXPECT_EQ(colourAt("Frame2", {600, 120}), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(image.pixelColor(300, 165), QColor(0xE0, 0xE0, 0xE0));
}

}  // namespace
}  // namespace quibrant::test
