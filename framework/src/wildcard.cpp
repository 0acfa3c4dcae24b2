#include "brantic/wildcard.h"

#include <memory>
#include <string>

namespace brantic {

namespace {

using Step = WildcardPattern::Step;

// A piece of the pattern: its steps and the places still to be pointed at what follows.
struct Piece {
  int32_t start = -1;
  std::vector<int32_t*> holes;  // never dangling: steps are reserved before pointers are taken
};

class WildcardCompiler {
 public:
  explicit WildcardCompiler(std::string_view pattern) : pattern_(pattern) {
    // Each character makes at most three steps; reserving keeps the holes' pointers valid.
    steps_.reserve(pattern.size() * 3 + 2);
  }

  // The steps and the one to start at.
  Result<std::pair<std::vector<Step>, int32_t>> Compile() {
    Piece whole;
    if (!Alternatives(0, whole)) return IllegalArgumentError(problem_);
    if (at_ < pattern_.size()) {
      return IllegalArgumentError("a \")\" without its \"(\" in \"" + std::string(pattern_) + "\"");
    }
    Patch(whole, Add({Step::Match}));
    return std::make_pair(std::move(steps_), whole.start);
  }

 private:
  int32_t Add(Step step) {
    steps_.push_back(step);
    return int32_t(steps_.size() - 1);
  }
  void Patch(Piece& piece, int32_t target) {
    for (int32_t* hole : piece.holes) *hole = target;
    piece.holes.clear();
  }
  // An empty piece: one jump on to what follows.
  Piece Empty() {
    const int32_t jump = Add({Step::Jump});
    return Piece{jump, {&steps_[size_t(jump)].next}};
  }
  void Append(Piece& sequence, Piece next) {
    if (sequence.start < 0) {
      sequence = std::move(next);
      return;
    }
    Patch(sequence, next.start);
    sequence.holes = std::move(next.holes);
  }

  bool Alternatives(int depth, Piece& out) {
    Piece first;
    if (!Sequence(depth, first)) return false;
    while (at_ < pattern_.size() && pattern_[at_] == '|') {
      ++at_;
      Piece second;
      if (!Sequence(depth, second)) return false;
      const int32_t split = Add({Step::Split, 0, first.start, second.start});
      first.holes.insert(first.holes.end(), second.holes.begin(), second.holes.end());
      first.start = split;
    }
    out = std::move(first);
    return true;
  }

  bool Sequence(int depth, Piece& out) {
    Piece sequence;
    while (at_ < pattern_.size() && pattern_[at_] != '|' && pattern_[at_] != ')') {
      const char c = pattern_[at_++];
      if (c == '(') {
        if (depth + 1 > WildcardPattern::kMaxGroupDepth) {
          problem_ = "groups nested deeper than " + std::to_string(WildcardPattern::kMaxGroupDepth) + " levels";
          return false;
        }
        Piece group;
        if (!Alternatives(depth + 1, group)) return false;
        if (at_ >= pattern_.size()) {
          problem_ = "a \"(\" without its \")\" in \"" + std::string(pattern_) + "\"";
          return false;
        }
        ++at_;  // ")"
        Append(sequence, std::move(group));
      } else if (c == '*' && !(at_ >= 2 && pattern_[at_ - 2] == '[')) {
        // Any run: a split that either takes one more character or goes on. Runs of stars are one run.
        while (at_ < pattern_.size() && pattern_[at_] == '*') ++at_;
        const int32_t split = Add({Step::Split});
        const int32_t any = Add({Step::Any, 0, split});
        steps_[size_t(split)].next = any;
        Append(sequence, Piece{split, {&steps_[size_t(split)].alt}});
      } else if (c == '#') {
        // One digit, then any more.
        const int32_t digit = Add({Step::Digit});
        const int32_t split = Add({Step::Split, 0, digit});
        steps_[size_t(digit)].next = split;
        Append(sequence, Piece{digit, {&steps_[size_t(split)].alt}});
      } else if (c == '?') {
        const int32_t any = Add({Step::Any});
        Append(sequence, Piece{any, {&steps_[size_t(any)].next}});
      } else {
        const char literal = c == '\\' && at_ < pattern_.size() ? pattern_[at_++] : c;
        const int32_t step = Add({Step::Char, literal});
        Append(sequence, Piece{step, {&steps_[size_t(step)].next}});
      }
    }
    if (sequence.start < 0) sequence = Empty();
    out = std::move(sequence);
    return true;
  }

  std::string_view pattern_;
  size_t at_ = 0;
  std::vector<Step> steps_;
  std::string problem_;
};

}  // namespace

Result<WildcardPattern> WildcardPattern::Compile(std::string_view pattern) {
  auto compiled = WildcardCompiler(pattern).Compile();
  if (!compiled) return compiled.GetError();
  return WildcardPattern(std::move(compiled->first), compiled->second);
}

bool WildcardPattern::MatchesWhole(std::string_view text) const {
  const size_t count = steps_.size();
  std::vector<int32_t> current, next, stack;
  std::vector<uint32_t> seen(count, 0);
  uint32_t generation = 0;
  // Adds the steps that read a character (or match) reachable from `from` without reading one.
  const auto follow = [&](int32_t from, std::vector<int32_t>& into) {
    stack.push_back(from);
    while (!stack.empty()) {
      const int32_t at = stack.back();
      stack.pop_back();
      if (at < 0 || seen[size_t(at)] == generation) continue;
      seen[size_t(at)] = generation;
      const Step& step = steps_[size_t(at)];
      if (step.kind == Step::Jump) {
        stack.push_back(step.next);
      } else if (step.kind == Step::Split) {
        stack.push_back(step.alt);
        stack.push_back(step.next);
      } else {
        into.push_back(at);
      }
    }
  };
  ++generation;
  follow(start_, current);
  for (const char c : text) {
    ++generation;
    next.clear();
    for (const int32_t at : current) {
      const Step& step = steps_[size_t(at)];
      const bool takes = step.kind == Step::Char    ? step.c == c
                         : step.kind == Step::Any   ? c != '\n' && c != '\r'
                         : step.kind == Step::Digit ? c >= '0' && c <= '9'
                                                    : false;
      if (takes) follow(step.next, next);
    }
    std::swap(current, next);
    if (current.empty()) return false;
  }
  for (const int32_t at : current) {
    if (steps_[size_t(at)].kind == Step::Match) return true;
  }
  return false;
}

bool IsWildcardPattern(std::string_view text) { return text.find_first_of("*?#") != std::string_view::npos; }

std::string WildcardToRegex(std::string_view pattern) {
  // Only the expression language's own characters are escaped: a backslash before a letter
  // or digit would make a class ("\\d") or a back-reference ("\\1") of it.
  constexpr std::string_view kSpecial = "\\^$.[]{}()|+*?";
  std::string expression;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size()) {
      const char literal = pattern[++i];
      if (kSpecial.find(literal) != std::string_view::npos) expression += '\\';
      expression += literal;
    } else if (c == '*' && !(i > 0 && pattern[i - 1] == '[')) {
      // A run of stars is one: each would be a group the matcher tries every split of.
      while (i + 1 < pattern.size() && pattern[i + 1] == '*') ++i;
      expression += "(.*)";
    } else if (c == '?') {
      expression += '.';
    } else if (c == '#') {
      expression += "([0-9]+)";
    } else if (c == '(' || c == ')' || c == '|') {
      expression += c;
    } else {
      // Everything else stands for itself, expression characters included.
      if (kSpecial.find(c) != std::string_view::npos) expression += '\\';
      expression += c;
    }
  }
  return expression;
}

}  // namespace brantic
