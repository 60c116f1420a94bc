#pragma once

// Each test class of the Rotaskiv suite, run one after the other by main.cpp.
int runRotateArgumentTests(int argc, char** argv);
int runMainWindowTests(int argc, char** argv);
int runCaptureFormTests(int argc, char** argv);
int runCaptureGeometryTests(int argc, char** argv);
int runScreenSourceTests(int argc, char** argv);
int runPictureSaverTests(int argc, char** argv);
int runExcelPropertyBagTests(int argc, char** argv);
