#include <gtest/gtest.h>

#include "interface/Updater.h"

#include <QSignalSpy>

using namespace lumadesk;

TEST(UpdaterTest, NothingToCheckWithAndNothingAvailableAtFirst) {
    Updater updater;
    EXPECT_FALSE(updater.canCheckForUpdates());
    EXPECT_FALSE(updater.isUpdateAvailable());
}

TEST(UpdaterTest, FlagsNotifyOnlyWhenTheyChange) {
    Updater updater;
    QSignalSpy available(&updater, &Updater::isUpdateAvailableChanged);
    QSignalSpy canCheck(&updater, &Updater::canCheckForUpdatesChanged);
    updater.setUpdateAvailable(true);
    updater.setUpdateAvailable(true);
    updater.setCanCheckForUpdates(true);
    updater.setCanCheckForUpdates(true);
    EXPECT_EQ(available.count(), 1);
    EXPECT_EQ(canCheck.count(), 1);
    EXPECT_TRUE(updater.isUpdateAvailable());
    EXPECT_TRUE(updater.canCheckForUpdates());
}

TEST(UpdaterTest, AUsersCheckClearsTheFlagBeforeItIsAskedFor) {
    Updater updater;
    updater.setUpdateAvailable(true);
    bool flagWhenAsked = true;
    QObject::connect(&updater, &Updater::userCheckRequested,
                     [&] { flagWhenAsked = updater.isUpdateAvailable(); });
    updater.checkForUpdates();
    EXPECT_FALSE(flagWhenAsked);
    EXPECT_FALSE(updater.isUpdateAvailable());
}
