#include "tests/link/fake_calculator.h"

#include <string>
#include <vector>

// link_fake_calculator ARGUMENTS... STOREFILE, as fakeArguments() makes them.
int main(int argc, char** argv)
{
    using namespace tessaline;
    if (argc < 2)
        return 2;
    const std::vector<std::string> args(argv + 1, argv + argc - 1);
    Calculator calculator = Calculator::Ti89;
    test::FakeAnswer answer = test::FakeAnswer::Accept;
    test::FakeOptions options;
    if (!test::readFakeArguments(args, calculator, answer, options))
        return 2;
    return test::runFakeCalculator(calculator, answer, options, argv[argc - 1]);
}
