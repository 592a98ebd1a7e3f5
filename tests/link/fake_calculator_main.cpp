#include "tests/link/fake_calculator.h"

#include <string>

int main(int argc, char** argv)
{
    using namespace tessaline;
    if (argc != 4)
        return 2;
    const std::string calculator = argv[1];
    const std::string answer = argv[2];
    return test::runFakeCalculator(calculator == "89"    ? Calculator::Ti89
                                   : calculator == "92p" ? Calculator::Ti92Plus
                                                         : Calculator::Voyage200,
                                   answer == "accept"   ? test::FakeAnswer::Accept
                                   : answer == "silent" ? test::FakeAnswer::Silent
                                   : answer == "refuse" ? test::FakeAnswer::Refuse
                                                        : test::FakeAnswer::SilentAfterHeader,
                                   argv[3]);
}
