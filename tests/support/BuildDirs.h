#pragma once
// The folder of the test sources (tests/, for the reference pictures) and the
// build folder (for the tools, the program and the generated data tree). Both
// come from one small source that CMake generates in the build folder, so
// that no other test object holds a path of the clone it was built in and a
// new clone takes them all from the compiler cache.
namespace testsupport {

const char* TestSourceDir();
const char* TestBinaryDir();

}  // namespace testsupport
