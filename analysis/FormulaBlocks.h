// The formula's evaluation over blocks of samples: muparser parses the expression and folds its
// constants into a program of reverse Polish steps; this runs each step over a whole block of values at
// once (one vectorised loop per operation) instead of every step for each sample. It computes exactly
// what muparser's own interpreter computes: the same operations in the same order on the same doubles,
// with the functions the parser is given here. The codes of a block (formulaCodes) are computed here
// too. Depends on muparser and the code rule.
#pragma once

#include <muParser.h>

#include <cstddef>
#include <memory>
#include <vector>

namespace varnilog::formula {

// The language's pure functions and unary operators, replacing muparser's own (whose names differ
// from ours and whose addresses the block program could not tell apart).
void defineFunctions(mu::Parser& parser);

class BlockProgram {
public:
    // The program of a parser that has evaluated its expression once; nothing when its bytecode holds a
    // step this does not know (muparser's interpreter then evaluates it). Every variable must point at an
    // array of at least `block` values.
    static std::unique_ptr<BlockProgram> of(const mu::ParserBase& parser, std::size_t block);

    // The values of the first n entries of the variables' arrays.
    void run(std::size_t n, double* out);

    struct Operand {
        const double* array = nullptr; // nullptr: the constant value
        double value = 0;
        int temp = -1; // the block of values this program computes, while it is built
    };
    enum class Op : unsigned char;
    struct Step {
        Op op;
        Operand a, b, c;
        double k1 = 0, k2 = 0;
        int out = 0;
    };

private:
    std::vector<Step> steps_;
    std::vector<std::vector<double>> temps_;
    Operand result_;
};

} // namespace varnilog::formula
