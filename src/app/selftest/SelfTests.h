#pragma once

#include <QString>
#include <functional>
#include <vector>

// The program's built-in regression suite, run by `lorvane --unit`.
namespace SelfTests {

struct Group {
    const char* name;
    std::function<void()> run;
};

int passed();
int failed();
void reset();

// Where failing labels and the summary go; standard output by default.
void setSink(std::function<void(const QString& line)> sink);

// Counts the check; a failing one prints its label, then the detail if any.
bool check(bool condition, const char* label, const QString& detail = QString());

// The groups in the order they run.
const std::vector<Group>& groups();

QString summary();
// Runs the given groups (all by default), prints the summary and returns
// whether nothing failed.
bool run(const std::vector<Group>& selected);
bool run();

// One function per group, each in its own file.
void fileNames();
void json();
void yaml();
void toml();
void csv();
void markdown();
void plantuml();
void encoding();
void find();
void backup();

}
