// No test at all: the linked main runs nothing.
