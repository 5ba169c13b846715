#!/bin/sh
# Copies the course player into the package folder.
# Arguments: the program folder, the package folder.
exit 0
