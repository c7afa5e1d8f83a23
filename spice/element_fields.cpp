// The cursor over the fields of one element line.
#include "spice/element_fields.h"

#include <cmath>
#include <cstring>

#include "spice/spice_text.h"

namespace talvor {

namespace {

bool Listed(const char* allowed, const std::string& name)
{
    for (const char* at = allowed; *at != '\0';) {
        size_t length = std::strcspn(at, " ");
        if (name.size() == length && name.compare(0, length, at, length) == 0)
            return true;
        at += length;
        while (*at == ' ')
            ++at;
    }
    return false;
}

} // namespace

void ElementFields::Fail(const std::string& why) const
{
    Refuse(Line(), Format("%s: %s", Shown(Name()).c_str(), why.c_str()));
}

TalvorElement ElementFields::NewElement(char type) const
{
    TalvorElement element;
    element.type = type;
    element.name = FlatName();
    element.line = Line();
    return element;
}

double ValueOr(const std::map<std::string, double>& parameters, const char* name, double otherwise)
{
    auto found = parameters.find(name);
    return found == parameters.end() ? otherwise : found->second;
}

std::string ElementFields::PeekLower() const
{
    const Token* token = Peek();
    return token != nullptr && token->kind == TokenKind::Word ? Lower(token->text) : "";
}

bool ElementFields::NextIsNumber() const
{
    const Token* token = Peek();
    if (token == nullptr || NextIsAssignment())
        return false;
    return token->kind == TokenKind::Expression ||
           (token->kind == TokenKind::Word && ParseSpiceNumber(token->text).has_value());
}

bool ElementFields::NextIsAssignment() const
{
    return next_ + 1 < tokens_.size() && tokens_[next_].kind == TokenKind::Word &&
           tokens_[next_ + 1].kind == TokenKind::Equals;
}

bool ElementFields::FollowedByWord(const char* keywords) const
{
    const size_t k = next_ + 1;
    return k < tokens_.size() && tokens_[k].kind == TokenKind::Word &&
           !ParseSpiceNumber(tokens_[k].text).has_value() &&
           !(k + 1 < tokens_.size() && tokens_[k + 1].kind == TokenKind::Equals) &&
           !Listed(keywords, Lower(tokens_[k].text));
}

std::string ElementFields::Word(const char* what)
{
    const Token* token = Peek();
    if (token == nullptr)
        Fail(Format("falta %s", what));
    if (token->kind != TokenKind::Word || NextIsAssignment())
        Fail(Format("esperava %s em vez de '%s'", what, Shown(token->text).c_str()));
    ++next_;
    return token->text;
}

std::string ElementFields::Node(const char* what) { return place_.Node(Word(what)); }

double ElementFields::Number(const char* what)
{
    const Token* token = Peek();
    if (token == nullptr)
        Fail(Format("falta %s", what));
    if (!NextIsNumber())
        Fail(Format("esperava %s (um número) em vez de '%s'", what, Shown(token->text).c_str()));
    ++next_;
    return ValueOf(*token, place_.Parameters(), Line());
}

bool ElementFields::Accept(const char* keyword)
{
    if (PeekLower() != keyword || NextIsAssignment())
        return false;
    ++next_;
    return true;
}

std::map<std::string, double> ElementFields::Parameters(const char* allowed)
{
    std::map<std::string, double> parameters;
    while (!AtEnd()) {
        const Token& token = tokens_[next_];
        const std::string name = Lower(token.text);
        if (token.kind != TokenKind::Word || !Listed(allowed, name))
            Fail(Format("campo inesperado '%s'", Shown(token.text).c_str()));
        ++next_;
        if (!AtEnd() && tokens_[next_].kind == TokenKind::Equals) {
            ++next_;
            parameters[name] = Number(name.c_str());
            while (!AtEnd() && tokens_[next_].kind == TokenKind::Comma) {
                ++next_;
                Number(name.c_str()); // the other values of a list, as ic=vbe,vce
            }
        } else {
            parameters[name] = 1;
        }
    }
    return parameters;
}

} // namespace talvor
