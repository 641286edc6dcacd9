// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#include "test_registry.h"

#ifdef OLV_TEST_GUI
#include <QApplication>
#else
#include <QCoreApplication>
#endif
#include <QByteArray>
#include <QFileInfo>
#include <QList>
#include <QMetaMethod>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// Qt Test options followed by a value of their own.
bool takes_value(const std::string& option) {
    static const std::set<std::string> with_value{
        "-o",          "-maxwarnings",  "-eventdelay",   "-keydelay",
        "-mousedelay", "-seed",         "-iterations",   "-median",
        "-repeat",     "-minimumvalue", "-minimumtotal", "-perfcounter"};
    return with_value.count(option) > 0;
}

// The command line split into options (with their values) and test function names.
struct CommandLine {
    std::vector<std::string> options;
    std::vector<std::string> functions; // "name" or "name:data tag"
};

CommandLine split_arguments(int argc, char** argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.size() > 1 && argument[0] == '-') {
            line.options.push_back(argument);
            if (takes_value(argument) && i + 1 < argc)
                line.options.push_back(argv[++i]);
        } else {
            line.functions.push_back(argument);
        }
    }
    return line;
}

std::string function_name(const std::string& argument) {
    return argument.substr(0, argument.find(':'));
}

bool has_test_function(const QObject& object, const std::string& name) {
    const QMetaObject* meta = object.metaObject();
    for (int m = meta->methodOffset(); m < meta->methodCount(); ++m) {
        const QMetaMethod method = meta->method(m);
        if (method.methodType() == QMetaMethod::Slot && method.parameterCount() == 0 &&
            method.name().toStdString() == name)
            return true;
    }
    return false;
}

// "results.xml,junitxml" becomes "results-Class.xml,junitxml", so every class keeps its own
// output; "-" (standard output) stays as it is.
std::string output_of_class(const std::string& value, const char* class_name) {
    const std::size_t comma = value.find(',');
    const std::string file = value.substr(0, comma);
    const std::string format = comma == std::string::npos ? std::string() : value.substr(comma);
    if (file == "-")
        return value;
    const QFileInfo info(QString::fromStdString(file));
    const std::string suffix = info.suffix().toStdString();
    const std::string stem =
        suffix.empty() ? file : file.substr(0, file.size() - suffix.size() - 1);
    const std::string named = stem + "-" + class_name + (suffix.empty() ? "" : "." + suffix);
    return named + format;
}

} // namespace

// Runs every registered test class; OLV_TEST_CLASS=Name limits the run to one class. Options
// (-v2, -o file,format, ...) go to every class, each -o file named after its class; a test
// function name goes only to the class that has it, and a class that has none of the names given
// is not run.
int main(int argc, char** argv) {
#ifdef OLV_TEST_GUI
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    auto& classes = olv::testing::registered_test_classes();
    std::sort(classes.begin(), classes.end(),
              [](const auto& a, const auto& b) { return std::strcmp(a.name, b.name) < 0; });
    const char* only = std::getenv("OLV_TEST_CLASS");
    const CommandLine line = split_arguments(argc, argv);
    std::set<std::string> functions_found;
    int failed = 0;
    int ran = 0;
    for (const auto& entry : classes) {
        if (only && *only && std::strcmp(only, entry.name) != 0)
            continue;
        auto object = entry.make();

        std::vector<std::string> arguments{argv[0]};
        for (std::size_t i = 0; i < line.options.size(); ++i) {
            arguments.push_back(line.options[i]);
            if (line.options[i] == "-o" && i + 1 < line.options.size())
                arguments.push_back(output_of_class(line.options[++i], entry.name));
        }
        bool wanted = line.functions.empty();
        for (const std::string& function : line.functions) {
            if (!has_test_function(*object, function_name(function)))
                continue;
            arguments.push_back(function);
            functions_found.insert(function);
            wanted = true;
        }
        if (!wanted)
            continue;

        std::vector<char*> class_argv;
        for (std::string& argument : arguments)
            class_argv.push_back(argument.data());
        class_argv.push_back(nullptr);
        failed +=
            QTest::qExec(object.get(), static_cast<int>(arguments.size()), class_argv.data()) != 0
                ? 1
                : 0;
        ++ran;
    }
    for (const std::string& function : line.functions) {
        if (functions_found.count(function) == 0) {
            std::fprintf(stderr, "No test class has the function %s\n", function.c_str());
            ++failed;
        }
    }
    std::printf("%d test classes run, %d failed\n", ran, failed);
    return failed == 0 && ran > 0 ? 0 : 1;
}
