-- The Baltero database: the register, the questionnaire and the compilations.
--
-- Names compare and sort without regard to letter case. Dates are stored as
-- text 'YYYY-MM-DD HH:MM:SS'. Deleting a child, an educator or a compilation
-- takes its compilations, answers and start phases with it; an area, phase or
-- question still in use cannot be deleted.

CREATE TABLE Application (
    School TEXT COLLATE NOCASE
);

CREATE TABLE Children (
    IDChild INTEGER PRIMARY KEY AUTOINCREMENT,
    Name TEXT COLLATE NOCASE UNIQUE,
    DateOfBirth DATETIME,
    Info TEXT COLLATE NOCASE
);

CREATE TABLE Teachers (
    IDTeacher INTEGER PRIMARY KEY AUTOINCREMENT,
    Name TEXT COLLATE NOCASE UNIQUE,
    Info TEXT COLLATE NOCASE
);

CREATE TABLE Areas (
    IDArea INTEGER PRIMARY KEY,
    Description TEXT COLLATE NOCASE
);

-- A phase may say for which ages in months it is meant, from and to (both
-- included, either may be missing): a new compilation starts each area at the
-- phase that holds the child's age.
CREATE TABLE Phases (
    IDPhase INTEGER PRIMARY KEY,
    Description TEXT COLLATE NOCASE,
    AgeFromMonths INTEGER,
    AgeToMonths INTEGER
);

CREATE TABLE Questions (
    IDQuestion INTEGER PRIMARY KEY AUTOINCREMENT,
    QuestionText TEXT COLLATE NOCASE,
    IDArea INTEGER NOT NULL REFERENCES Areas (IDArea) ON DELETE RESTRICT,
    IDPhase INTEGER NOT NULL REFERENCES Phases (IDPhase) ON DELETE RESTRICT,
    QuestionOrder INTEGER
);
-- Serves the questionnaire's order, the cell queries of the question windows
-- and the refusal to delete an area still in use.
CREATE INDEX QuestionsByCell ON Questions (IDArea, IDPhase, QuestionOrder);
-- Serves the refusal to delete a phase still in use.
CREATE INDEX QuestionsByPhase ON Questions (IDPhase);

-- ChangeCount counts the saves of a compilation: a save from one computer
-- over a change saved from another since the compilation was opened is
-- noticed, not made.
CREATE TABLE CompiledTables (
    IDCompiledTable INTEGER PRIMARY KEY AUTOINCREMENT,
    IDChild INTEGER NOT NULL REFERENCES Children (IDChild) ON DELETE CASCADE,
    IDTeacher INTEGER NOT NULL REFERENCES Teachers (IDTeacher) ON DELETE CASCADE,
    DateTime DATETIME,
    Description TEXT COLLATE NOCASE,
    ChangeCount INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX CompiledTablesByChild ON CompiledTables (IDChild);
CREATE INDEX CompiledTablesByTeacher ON CompiledTables (IDTeacher);
CREATE INDEX CompiledTablesByDate ON CompiledTables (DateTime);

-- One answer per question of a compilation; the key serves loading, saving
-- and deleting one compilation's answers.
CREATE TABLE CompiledTablesAnswers (
    IDCompiledTable INTEGER NOT NULL REFERENCES CompiledTables (IDCompiledTable) ON DELETE CASCADE,
    IDQuestion INTEGER NOT NULL REFERENCES Questions (IDQuestion) ON DELETE RESTRICT,
    IDAnswer INTEGER,
    PRIMARY KEY (IDCompiledTable, IDQuestion)
);
-- Serves the refusal to delete a question that a compilation has answered.
CREATE INDEX CompiledTablesAnswersByQuestion ON CompiledTablesAnswers (IDQuestion);

-- One start phase per area of a compilation. Not tied to Areas: a start phase
-- of an area deleted later is simply ignored when the compilation is loaded.
CREATE TABLE CompiledTablesStartPhase (
    IDCompiledTable INTEGER NOT NULL REFERENCES CompiledTables (IDCompiledTable) ON DELETE CASCADE,
    IDArea INTEGER NOT NULL,
    IDPhase INTEGER,
    PRIMARY KEY (IDCompiledTable, IDArea)
);

INSERT INTO Application (School) VALUES ('');

-- The layout's version: the number of upgrade steps in SchemaVersion.cpp. A
-- database of an earlier version is upgraded when the program opens it.
PRAGMA user_version = 2;
