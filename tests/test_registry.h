// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Test classes register themselves here so one binary per layer runs every class of its folder.
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace olv::testing {

struct TestClassEntry {
    const char* name;
    std::function<std::unique_ptr<QObject>()> make;
};

inline std::vector<TestClassEntry>& registered_test_classes() {
    static std::vector<TestClassEntry> classes;
    return classes;
}

struct TestClassRegistration {
    TestClassRegistration(const char* name, std::function<std::unique_ptr<QObject>()> make) {
        registered_test_classes().push_back({name, std::move(make)});
    }
};

} // namespace olv::testing

#define OLV_TEST_CLASS(Class)                                                                      \
    static const olv::testing::TestClassRegistration olv_registration_##Class(                     \
        #Class, [] { return std::unique_ptr<QObject>(new Class); });
