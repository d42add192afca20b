// The ages the example questionnaire's phases are meant for.
//
// The example questionnaire (resources/questionario-esempio.txt) is a
// question file of Baltero 1.x, whose format has no place for ages: any
// text after "#" is the phase's name, so a range written there would turn
// into part of the name for the earlier program and for every older file
// that happens to end that way. The ranges are kept here instead and set
// when a new database is filled with the example.
#pragma once

class TDatabase;

// Sets the range of each example phase that is still there under its own
// number and name; a phase renamed or missing keeps what it has. Raises the
// data-access exception.
void SetExamplePhaseAgeRanges(TDatabase& database);
