#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "DisplayFixtures.h"
#include "interface/ContinuousSlider.h"
#include "interface/DisplayRowView.h"
#include "interface/PlainButton.h"
#include "runtime/ManualMainQueue.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace lumadesk;
using namespace lumadesk::testing;

// A row in the settings layout, the only one that renames; the popover layout is tested through the
// popover.
TEST(DisplayRowViewTest, RenamingStoresTheTrimmedNameOnReturnEscapeCancelsAndFocusLossDoesNeither) {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    std::vector<std::optional<std::string>> renames;
    DisplayRowView view(controllableDisplay("a", 40), DisplayRowContext::settings,
                        {[&](auto name) { renames.push_back(std::move(name)); }, {}, {}}, queue);
    view.resize(700, view.sizeHint().height());
    auto& field = *view.findChild<QLineEdit*>(QStringLiteral("nameField"));
    auto& nameBlock = *view.findChild<QWidget*>(QStringLiteral("nameBlock"));
    const auto type = [&](const char* text, Qt::Key key) {
        field.clear();
        QTest::keyClicks(&field, text);
        QTest::keyClick(&field, key);
    };

    // The pencil opens the field with the current name; Return stores the trimmed text and closes it.
    QTest::mouseClick(view.findChild<PlainButton*>(QStringLiteral("renameButton")), Qt::LeftButton);
    EXPECT_FALSE(field.isHidden());
    EXPECT_TRUE(nameBlock.isHidden());
    EXPECT_EQ(field.text(), "Model a");
    type("  Left screen  ", Qt::Key_Return);
    EXPECT_TRUE(field.isHidden());

    // A double click on the name opens it too; blank text closes it and stores nothing.
    QTest::mouseDClick(&nameBlock, Qt::LeftButton);
    type("   ", Qt::Key_Return);
    EXPECT_TRUE(field.isHidden());

    // Escape closes it without storing, and the name stays as it was.
    view.beginRename();
    type("Other", Qt::Key_Escape);
    EXPECT_TRUE(field.isHidden());
    EXPECT_EQ(view.findChild<QLabel*>(QStringLiteral("name"))->text(), "Model a");

    // Losing the focus neither stores nor closes.
    view.beginRename();
    QFocusEvent focusOut(QEvent::FocusOut, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(&field, &focusOut);
    EXPECT_FALSE(field.isHidden());
    EXPECT_TRUE(view.renameFlow().isRenaming());
    EXPECT_EQ(renames, (std::vector<std::optional<std::string>>{"Left screen"}));
}

// A display without DDC has no level to show: its disabled slider is an empty track without a knob, the
// same wherever the stored level stands.
TEST(DisplayRowViewTest, ADisplayWithoutDDCShowsAnEmptyTrackWithoutAKnob) {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    lumadesk::Display display = controllableDisplay("a", 100);
    display.supportsDDC = false;
    DisplayRowView view(display, DisplayRowContext::settings, {}, queue);
    view.resize(700, view.sizeHint().height());
    auto& slider = *view.findChild<ContinuousSlider*>(QStringLiteral("brightnessSlider"));
    ASSERT_FALSE(slider.isEnabled());
    const QImage atFull = slider.grab().toImage();
    slider.setPosition(0);
    EXPECT_EQ(slider.grab().toImage(), atFull);
    slider.setPosition(50);
    EXPECT_EQ(slider.grab().toImage(), atFull);
}
