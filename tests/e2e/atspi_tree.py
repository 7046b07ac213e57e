#!/usr/bin/python3
"""Prints the accessibility tree of a running program as a screen reader reads it over AT-SPI:
one line per object, "role<TAB>name<TAB>description<TAB>value", every window of the program
(the value of a text field is its text).
Waits up to 20 seconds for the program to join the bus.
    atspi_tree.py PROGRAM"""
import sys
import time

import pyatspi


def find_program(name):
    for _ in range(100):
        for program in pyatspi.Registry.getDesktop(0):
            if program is not None and program.name == name:
                return program
        time.sleep(0.2)
    sys.exit(f"{name} did not join the accessibility bus")


def value_of(node):
    try:
        if node.getRole() == pyatspi.ROLE_TEXT:
            return node.queryText().getText(0, -1)
        return str(node.queryValue().currentValue)
    except NotImplementedError:
        return ""


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


for node in walk(find_program(sys.argv[1])):
    print("\t".join([node.getRoleName(), node.name, node.description, value_of(node)])
          .replace("\n", " "))
