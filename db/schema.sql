-- The plant tables as the controller side creates them. The workstation only
-- reads pu_data, last_state, control_log and setup, inserts into control_vector
-- and edits setup; it never creates or alters a table.
-- Every RecMoment is indexed: the workstation asks for the newest rows and for
-- shift ranges on every table it reads.

CREATE TABLE IF NOT EXISTS pu_data (
  RecMoment DATETIME NOT NULL,
  PLS   DOUBLE NULL COMMENT 'current suspension density, kg/m3',
  PLSZ  DOUBLE NULL COMMENT 'set suspension density, kg/m3',
  URKS  DOUBLE NULL COMMENT 'level in the conditioned-suspension sump, %',
  URNS  DOUBLE NULL COMMENT 'level in the non-conditioned-suspension sump, %',
  VODA1 DOUBLE NULL COMMENT 'suspension dilution valve position, %',
  DSUS  DOUBLE NULL COMMENT 'suspension flow divider position, %',
  _PLSZ DOUBLE NULL COMMENT 'density setpoint as commanded',
  AR1   DOUBLE NULL COMMENT 'control mode: > 0.5 manual',
  KEY ix_pu_data_RecMoment (RecMoment)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE IF NOT EXISTS last_state (
  RecMoment DATETIME NOT NULL COMMENT 'when the controller last wrote',
  KEY ix_last_state_RecMoment (RecMoment)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE IF NOT EXISTS control_log (
  Id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  RecMoment DATETIME NOT NULL,
  MessageText VARCHAR(255) NULL,
  KEY ix_control_log_RecMoment (RecMoment)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE IF NOT EXISTS setup (
  ConstName CHAR(30) NOT NULL,
  ConstVal DOUBLE NULL,
  Comment CHAR(251) NULL
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE IF NOT EXISTS control_vector (
  Id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  RecMoment DATETIME NOT NULL,
  UserName VARCHAR(128) NULL,
  _PLSZ DOUBLE NULL COMMENT 'new density setpoint, kg/m3',
  _TNZ DOUBLE NULL COMMENT 'new plant-load setpoint, t/h',
  KEY ix_control_vector_RecMoment (RecMoment)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;
