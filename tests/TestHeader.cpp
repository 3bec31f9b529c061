// The owner of the test executables' precompiled header (cmake/CorvelHelpers.cmake).
