#include "libs/imageconv/conversion_problem.h"

namespace imageconv {
namespace {

thread_local std::string t_problem;

}  // namespace

const std::string& LastConversionProblem() {
    return t_problem;
}

void SetConversionProblem(std::string problem) {
    t_problem = std::move(problem);
}

}  // namespace imageconv
