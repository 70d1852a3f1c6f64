#!/bin/bash
# Fails when a message is written out as a `Message{` literal outside the message tables
# (src/*/messages.cpp), naming the file and line of each one.
cd "${1:?usage: check_message_literals.sh SOURCE_DIR}" || exit 2
hits=$(grep -rn --include='*.cpp' --include='*.h' 'Message{' src | grep -v '^src/[a-z]*/messages\.cpp:')
if [ -n "$hits" ]; then
    printf '%s\n' "$hits"
    echo "Message literals outside src/*/messages.cpp: word them in the subsystem's message table."
    exit 1
fi
echo "no message literal outside the tables"
