// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

// A fixture base that gives its suite a QApplication and takes it down before the process exits,
// while Qt's own globals still exist.
class QtApplicationSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QApplication::instance() != nullptr) return;
        static int argc = 1;
        static char name[] = "hcci-tests";
        static char* argv[] = {name, nullptr};
        application() = std::make_unique<QApplication>(argc, argv);
    }
    static void TearDownTestSuite() { application().reset(); }

private:
    static std::unique_ptr<QApplication>& application() {
        static std::unique_ptr<QApplication> app;
        return app;
    }
};
