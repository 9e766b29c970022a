// The hierarchies that describe where an object is on the pitch, how fast it
// moves and how it stands to the ball. Each builder creates its hierarchy with
// an evaluator on every node but a few grouping ones, numbers and weighs it,
// writes it as a GML file into the current folder and returns the root; the
// caller owns the root.
#pragma once

class ConceptObject;

// Root "Field-area"; writes "PositionConcepts.gml". The regions are absolute
// pitch coordinates, not mirrored for the right team.
ConceptObject* CreatePositionConcepts();
// Root "Speed": average speed over three cycles; writes "SpeedConcepts.gml".
ConceptObject* CreateSpeedConcepts();
// Root "BallRelative": possession, where the ball lies, how it moves relative to
// the object and how far it is; writes "BallRelativeConcepts.gml".
ConceptObject* CreateBallRelativeConcepts();
