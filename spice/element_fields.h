// Reading the fields of one flattened element line: nodes, numbers, keywords and name=value
// parameters, with refusals that name the element and the deck line.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "spice/converted_circuit.h"
#include "spice/flatten.h"

namespace talvor {

class ElementFields {
public:
    ElementFields(const std::vector<Token>& tokens, const Place& place)
        : tokens_(tokens), place_(place)
    {}

    const Place& place() const { return place_; }
    Origin Line() const { return place_.Line(); }
    // The element's name as written on its line, and flattened.
    const std::string& Name() const { return tokens_[0].text; }
    std::string FlatName() const { return place_.ElementName(tokens_[0].text); }
    // A Talvor element of the type with this line's flattened name and line number.
    TalvorElement NewElement(char type) const;

    bool AtEnd() const { return next_ >= tokens_.size(); }
    // The next token as written, without consuming it ("" at the end).
    const Token* Peek() const { return AtEnd() ? nullptr : &tokens_[next_]; }
    std::string PeekLower() const;
    bool NextIsNumber() const;
    bool NextIsAssignment() const;
    // Whether the token after the next is a word that is neither a number, nor a parameter
    // name, nor one of the keywords (lower case, space-separated).
    bool FollowedByWord(const char* keywords) const;
    void Skip() { ++next_; }

    // The next field as a node (flattened) or as a plain word; refuses anything else.
    std::string Node(const char* what);
    std::string Word(const char* what);
    // The next field as a number (a number word or an evaluated expression).
    double Number(const char* what);
    // Skips the next token if it is the keyword (lower case) and returns whether it did.
    bool Accept(const char* keyword);

    // The rest of the line as name=value parameters (lower-case names; a list "ic=1,2" keeps
    // its first value) and bare flags (value 1). Refuses a name that is not in allowed
    // (space-separated) and any other token.
    std::map<std::string, double> Parameters(const char* allowed);

    [[noreturn]] void Fail(const std::string& why) const;

private:
    const std::vector<Token>& tokens_;
    const Place& place_;
    size_t next_ = 1;
};

// The value of a name=value parameter, or otherwise when the line does not give it.
double ValueOr(const std::map<std::string, double>& parameters, const char* name, double otherwise);

} // namespace talvor
