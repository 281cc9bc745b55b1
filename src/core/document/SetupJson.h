// A document's set-up as JSON text and back: DescribeSetup writes what `tavrel-cli info` prints
// (the stored lists, the data file's path and reading settings, and every chain with each
// module's class, name, rate and own fields under the keys of its class's descriptor);
// BuildSetupDocument turns such text - written by `info` or by hand - into the bytes of the
// document file that holds it. For every document D the program can open, the description of
// the document built from DescribeSetup(D) is DescribeSetup(D) again, and for a document the
// program saved the bytes are D's own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

class CKaisekiDoc;

// One JSON object on one line, ending in a line feed.
std::string DescribeSetup(CKaisekiDoc& doc);

struct SetupBuild {
    bool ok = false;
    // On failure: the one line that says where and why ("line 3, column 7: chain 1, module 2
    // (CSmothFilter): ...").
    std::string error;
    // Values written as given although their dialog would refuse them, one line each.
    std::vector<std::string> warnings;
    // On success: the document file's bytes.
    std::string bytes;
};

// Builds the document file of a set-up. A key left out takes its value in a new document (the
// lists are brought to sixteen entries, missing chains are a head alone, a head's channel is
// its chain's index) and a module field left out its descriptor's default. Refused: text that is
// not JSON, an unknown key or class, a value of the wrong type or one the document file cannot
// hold (an integer beyond 32 bits, a fraction where an integer is stored, a non-finite real, a
// list entry beyond a byte), more than sixteen entries in a list or more than sixteen chains, and
// a chain that does not start with a head.
SetupBuild BuildSetupDocument(std::string_view json);

}  // namespace tavrel
