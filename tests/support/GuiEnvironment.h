#pragma once
// Drawing text needs the application object of the display layer (the
// offscreen platform when there is no display): a test program that draws
// registers this environment once, in one of its files.

#include <QCoreApplication>
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace folha::test {

class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!QCoreApplication::instance()) app_ = new QGuiApplication(argc_, argv_);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    int argc_ = 1;
    char name_[16] = "test_reports";
    char* argv_[2] = {name_, nullptr};
    QGuiApplication* app_ = nullptr;
};

} // namespace folha::test
