// Flowchart figures: filled in with the drawing work.
